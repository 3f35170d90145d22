#pragma once
#include <stop_token>
#include <string>

#include "core/lantest/lan_engine_context.h"
#include "core/lantest/lan_stream.h"

namespace qnc {

// The dialog's values that a client thread reads when it starts.
struct LanClientSettings {
  std::string address;         // the server address field, read as a dotted IPv4 address (no lookup)
  int port = kDefaultLanPort;  // as read from the port field; the socket uses its low 16 bits
};

// One client connection of a test run: connects (retrying about once a
// second with a fresh socket until it succeeds or is stopped), then sends
// chunks and receives at the same time in the run's mode, counting into the
// client meter and writing the client's report lines. A download paces its
// small requests by the bytes that come back; the other modes stream their
// chunks from a second thread. The connection ends when nothing arrives for
// the receive time-out. A server that closes the connection before sending
// anything has turned it away: the thread says so in the log and ends.
void ClientThread(std::stop_token stop, const LanEngineContext& context, LanClientSettings settings, int mode);

}  // namespace qnc
