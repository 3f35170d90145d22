#pragma once
#include <stop_token>

#include "lantest/lan_engine_context.h"
#include "lantest/lan_stream.h"
#include "lantest/listen_socket_slot.h"
#include "lantest/thread_group.h"
#include "platform/tcp_socket.h"

namespace qnc {

// Every served connection costs a thread and two megabytes of buffers, and
// anyone on the network can connect: the server serves at most this many at
// once and closes further ones at once.
inline constexpr int kMaxServedConnections = 64;

// The dialog's values that a listener reads when it starts.
struct LanServerSettings {
  int port = kDefaultLanPort;  // as read from the port field; the socket uses its low 16 bits
};

// Where a listener keeps its socket and starts its connection threads.
struct LanServerParts {
  ListenSocketSlot& listenSocket;
  ThreadGroup& connections;
  int maxConnections = kMaxServedConnections;
};

// Listens on the settings' port and starts one ConnectionThread per accepted
// client, until its stop is requested. A failed accept (the owner closed the
// listening socket, or the system refused) is retried every 100 ms.
void ServerListenThread(std::stop_token stop, const LanEngineContext& context, const LanServerParts& parts,
                        LanServerSettings settings);

// Serves one client: learns the mode from the first byte received, then
// receives and sends a chunk per pass and writes the server's report lines.
void ConnectionThread(std::stop_token stop, const LanEngineContext& context, TcpSocket socket);

}  // namespace qnc
