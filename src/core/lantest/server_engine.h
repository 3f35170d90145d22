#pragma once
#include <stop_token>

#include "core/lantest/connection_limits.h"
#include "core/lantest/lan_engine_context.h"
#include "core/lantest/lan_stream.h"
#include "core/lantest/listen_socket_slot.h"
#include "core/lantest/server_connection.h"
#include "platform/tcp_socket.h"
#include "platform/thread_group.h"

namespace qnc {

// The dialog's values that a listener reads when it starts.
struct LanServerSettings {
  int port = kDefaultLanPort;  // as read from the port field; the socket uses its low 16 bits
};

// Where a listener keeps its socket, counts its connections and starts their threads.
struct LanServerParts {
  ListenSocketSlot& listenSocket;
  ThreadGroup& connections;
  ConnectionLimits& limits;
};

// Listens on the settings' port and starts one ConnectionThread per accepted
// client, until its stop is requested. A failed accept (the owner closed the
// listening socket, or the system refused) is retried every 100 ms. A client
// beyond the limits is closed at once, with a line in the log and nothing
// sent to it.
void ServerListenThread(std::stop_token stop, const LanEngineContext& context, const LanServerParts& parts,
                        LanServerSettings settings);

// Serves one client: learns this connection's mode from the first byte
// received, then receives and sends and writes the server's report lines. In
// the modes where the client downloads, replies stream from a second thread
// while this one receives; an upload gets its one-byte reply per receive. The
// connection ends when nothing arrives for the receive time-out, when its
// sends moved nothing for kIdleConnectionMs, or when a newcomer took its place
// (see ConnectionLimits); it counts what it moves into `activity`.
void ConnectionThread(std::stop_token stop, const LanEngineContext& context, TcpSocket socket,
                      ConnectionActivity& activity);

}  // namespace qnc
