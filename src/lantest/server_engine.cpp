#include "lantest/server_engine.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "lantest/chunk_streamer.h"
#include "lantest/log_lines.h"
#include "lantest/port_text.h"
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

std::size_t Clamp(std::int32_t size) {
  return static_cast<std::size_t>(std::clamp<std::int32_t>(size, 0, kLanBufferSize));
}

// Modes whose replies are worth streaming: those where the server sends full
// chunks. An upload's one-byte replies stay one per receive.
bool RepliesStream(int mode) {
  return mode == static_cast<int>(TransferMode::kBoth) || mode == static_cast<int>(TransferMode::kDownloadOnly);
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
    auto place = parts.limits.Admit(accepted->peer, refusal);
    if (!place) {
      context.counters.connectionsRefused.fetch_add(1);
      context.log.Append(refusal.perSource ? SourceRefusedLine(clientAddress, refusal.limit)
                                           : ConnectionRefusedLine(clientAddress, refusal.limit));
      continue;  // the socket closes here
    }
    context.log.Append(ConnectionLine(clientAddress, hostName));
    context.counters.connectionsAccepted.fetch_add(1);
    // The thread owns the socket and the place; both go when it ends.
    auto served = std::make_shared<std::pair<TcpSocket, ConnectionLimits::Place>>(std::move(client), std::move(*place));
    parts.connections.Start([&context, served](std::stop_token connectionStop) {
      const ConnectionLimits::Place held = std::move(served->second);
      ConnectionThread(std::move(connectionStop), context, std::move(served->first));
    });
  }
  parts.listenSocket.CloseIfHolding(listener.get());
}

void ConnectionThread(std::stop_token stop, const LanEngineContext& context, TcpSocket socket) {
  std::vector<std::uint8_t> sendBuffer(kLanBufferSize);
  std::vector<std::uint8_t> receiveBuffer(kLanBufferSize);
  // A connection accepted while a stop is pending is dropped at once.
  if (stop.stop_requested()) return;
  // The owner's stop wakes a send or receive that is waiting on this socket.
  const OnStop wake(stop, [&socket] { socket.Shutdown(); });

  ThroughputMeter& meter = context.state.serverMeter;
  const auto report = [&context, &meter] {
    meter.ReportIfDue(context.ticks, [&context](const MeterDeltas& deltas) {
      context.log.Prepend(ServerReportLine(context.clock.Now(), deltas));
    });
  };
  // When a send last moved a byte; the streaming thread writes it too.
  std::atomic<std::uint32_t> lastMovedTick = context.ticks.Now();
  // Streamed sends only count; as with one send per receive, a report is
  // considered after a receive brought data.
  const auto countSent = [&context, &meter, &lastMovedTick](long sent) {
    meter.Add(0, sent);
    if (sent > 0) lastMovedTick.store(context.ticks.Now());
  };

  // This connection's sizes: its own client's first byte sets them.
  ChunkSizes sizes = kUnappliedSizes;
  std::optional<ChunkStreamer> streamer;
  bool firstPass = true;
  for (;;) {
    const long received = socket.Receive(std::span(receiveBuffer.data(), Clamp(sizes.receive)));
    bool streams = false;
    if (firstPass && received >= 1) {
      const auto first = InterpretFirstChunk(std::span(receiveBuffer.data(), static_cast<std::size_t>(received)));
      if (first && first->serverSizes) {
        sizes = *first->serverSizes;
        streams = RepliesStream(first->mode);
      }
    }
    firstPass = false;
    const std::span<const std::uint8_t> chunk(sendBuffer.data(), Clamp(sizes.send));
    // Where the client downloads, the replies need not wait for its requests:
    // they stream from a thread of their own from the first request on, and
    // this thread only receives. A client that sends a chunk and then reads up
    // to a chunk finds the same filler bytes waiting either way.
    long sent = 0;
    if (streams) {
      streamer.emplace(socket, chunk, countSent);
    } else if (!streamer) {
      sent = socket.Send(chunk);
      if (sent > 0) lastMovedTick.store(context.ticks.Now());
    }
    if (received <= 0) break;
    meter.Add(received, sent);
    report();
    const std::uint32_t now = context.ticks.Now();
    if (static_cast<std::uint32_t>(now - lastMovedTick.load()) >= kIdleConnectionMs) break;
    if (stop.stop_requested()) break;
  }
}

}  // namespace qnc
