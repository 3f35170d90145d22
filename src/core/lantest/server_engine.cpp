#include "core/lantest/server_engine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "core/lantest/chunk_streamer.h"
#include "core/lantest/log_lines.h"
#include "core/lantest/port_text.h"
#include "core/lantest/server_connection.h"
#include "platform/ipv4.h"
#include "platform/on_stop.h"
#include "platform/resolve.h"
#include "platform/socket_handle.h"
#include "platform/stop_sleep.h"

namespace qnc {

namespace {

constexpr auto kAcceptRetryDelay = std::chrono::milliseconds(100);
// The accept wait is cut into slices so that the listener notices its own stop.
constexpr int kAcceptSliceMs = 100;

void ApplyConnectionOptions(TcpSocket& socket) {
  socket.SetSendBufferSize(kLanSocketBufferBytes);
  socket.SetReceiveBufferSize(kLanSocketBufferBytes);
  socket.SetReceiveTimeout(kLanSocketTimeoutMs);
  socket.SetSendTimeout(kLanSocketTimeoutMs);
}

enum class AcceptOutcome { kAccepted, kFailed, kStopped };

// One accept, waiting as long as it takes: it fails when the socket was
// closed through the slot or the system refuses, and gives up on a stop.
AcceptOutcome AcceptOne(std::stop_token stop, TcpSocket& listener, const ListenSocketSlot& slot,
                        std::optional<TcpSocket::Accepted>& accepted) {
  for (;;) {
    if (stop.stop_requested()) return AcceptOutcome::kStopped;
    if (!slot.Holds(&listener)) return AcceptOutcome::kFailed;
    switch (WaitReadable(listener.Native(), kAcceptSliceMs, stop)) {
      case WaitResult::kTimedOut:
        continue;
      case WaitResult::kStopped:
        return AcceptOutcome::kStopped;
      case WaitResult::kError:
        return AcceptOutcome::kFailed;
      case WaitResult::kReady:
        break;
    }
    accepted = listener.Accept(1);
    return accepted ? AcceptOutcome::kAccepted : AcceptOutcome::kFailed;
  }
}

}  // namespace

void ServerListenThread(std::stop_token stop, const LanEngineContext& context, const LanServerParts& parts,
                        LanServerSettings settings) {
  context.state.serverMeter.SetLastReportTick(context.ticks.Now());
  auto opened = TcpSocket::Open();
  if (!opened) return;
  const auto listener = std::make_shared<TcpSocket>(std::move(*opened));
  parts.listenSocket.Hold(listener);
  // Lets a new listener bind the port while connections of an earlier one
  // linger in TIME_WAIT; two listeners on one port still fail to bind.
  listener->SetReuseAddress(true);
  if (!listener->Bind(0, SocketPort(settings.port))) {
    context.console.Write("bind()fail" + std::to_string(LastSocketError()) + "\n");
    return;
  }
  if (!listener->Listen(kListenBacklog)) {
    context.console.Write("listen()fail" + std::to_string(LastSocketError()) + "\n");
    return;
  }
  context.console.Write("Server waitting...:\n");
  // The port the socket listens on: the field's low 16 bits, or the one the
  // system chose for 0.
  context.log.Replace(ServerStartLine(listener->LocalPort()));

  for (;;) {
    std::optional<TcpSocket::Accepted> accepted;
    const AcceptOutcome outcome = AcceptOne(stop, *listener, parts.listenSocket, accepted);
    if (outcome == AcceptOutcome::kStopped) break;
    if (outcome == AcceptOutcome::kFailed) {
      if (!SleepUnlessStopped(stop, kAcceptRetryDelay)) break;
      continue;
    }
    TcpSocket client = std::move(accepted->socket);
    ApplyConnectionOptions(client);
    const std::string hostName = WireHostName(LocalHostName());
    const std::string clientAddress = FormatIpv4(accepted->peer);
    ConnectionLimits::Refusal refusal;
    std::optional<Ipv4NetOrder> displaced;
    auto place = parts.limits.Admit(accepted->peer, refusal, &displaced);
    if (!place) {
      context.counters.connectionsRefused.fetch_add(1);
      context.log.Append(refusal.perSource ? SourceRefusedLine(clientAddress, refusal.limit)
                                           : ConnectionRefusedLine(clientAddress, refusal.limit));
      continue;  // the socket closes here
    }
    if (displaced) {
      context.counters.connectionsDisplaced.fetch_add(1);
      context.log.Append(DisplacedLine(FormatIpv4(*displaced), clientAddress));
    }
    context.log.Append(ConnectionLine(clientAddress, hostName));
    context.counters.connectionsAccepted.fetch_add(1);
    // The thread owns the socket and the place; both go when it ends.
    auto served = std::make_shared<std::pair<TcpSocket, ConnectionLimits::Place>>(std::move(client), std::move(*place));
    parts.connections.Start([&context, served](std::stop_token connectionStop) {
      const ConnectionLimits::Place held = std::move(served->second);
      ConnectionThread(std::move(connectionStop), context, std::move(served->first), held.Activity());
    });
  }
  parts.listenSocket.CloseIfHolding(listener.get());
}

void ConnectionThread(std::stop_token stop, const LanEngineContext& context, TcpSocket socket,
                      ConnectionActivity& activity) {
  std::vector<std::uint8_t> sendBuffer(kLanBufferSize);
  std::vector<std::uint8_t> receiveBuffer(kLanBufferSize);
  // A connection accepted while a stop is pending is dropped at once.
  if (stop.stop_requested()) return;
  // The owner's stop, or a newcomer taking this place, wakes a send or
  // receive that is waiting on this socket.
  const OnStop wake(stop, [&socket] { socket.Shutdown(); });
  const std::stop_token givenUp = activity.GivenUp();
  const OnStop wakeGivenUp(givenUp, [&socket] { socket.Shutdown(); });

  ThroughputMeter& meter = context.state.serverMeter;
  const auto report = [&context, &meter] {
    meter.ReportIfDue(context.ticks, [&context](const MeterDeltas& deltas) {
      context.log.Prepend(ServerReportLine(context.clock.Now(), deltas));
    });
  };
  ServerConnection connection(context.ticks.Now());
  // Streamed sends only count; as with one send per receive, a report is
  // considered after a receive brought data.
  const auto countSent = [&context, &meter, &connection, &activity](long sent) {
    meter.Add(0, sent);
    activity.Moved(sent);
    connection.Sent(sent, context.ticks.Now());
  };

  std::optional<ChunkStreamer> streamer;
  for (;;) {
    const long received = socket.Receive(std::span(receiveBuffer.data(), connection.ReceiveSize()));
    const std::span<const std::uint8_t> data(receiveBuffer.data(),
                                             received > 0 ? static_cast<std::size_t>(received) : 0);
    const ServerConnection::Reply reply = connection.Received(data);
    // Where the client downloads, the replies need not wait for its requests:
    // they stream from a thread of their own from the first request on, and
    // this thread only receives. A client that sends a chunk and then reads up
    // to a chunk finds the same filler bytes waiting either way.
    const std::span<const std::uint8_t> chunk(sendBuffer.data(), connection.ReplySize());
    long sent = 0;
    if (reply == ServerConnection::Reply::kStartStream) {
      streamer.emplace(socket, chunk, countSent);
    } else if (reply == ServerConnection::Reply::kOneChunk) {
      sent = socket.Send(chunk);
      connection.Sent(sent, context.ticks.Now());
    }
    if (received <= 0) break;
    // Judged before the bytes show in the meter: whoever sees them counted
    // also sees the window they closed.
    activity.Moved(received);
    activity.Moved(sent);
    activity.Judge(context.ticks.Now());
    meter.Add(received, sent);
    report();
    if (connection.Idle(context.ticks.Now())) break;
    if (stop.stop_requested() || givenUp.stop_requested()) break;
  }
}

}  // namespace qnc
