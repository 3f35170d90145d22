#include "lantest/server_engine.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "lantest/log_lines.h"
#include "lantest/port_text.h"
#include "platform/stop_sleep.h"
#include "platform/ipv4.h"
#include "platform/resolve.h"
#include "platform/socket_handle.h"

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
      case WaitResult::kTimedOut: continue;
      case WaitResult::kStopped: return AcceptOutcome::kStopped;
      case WaitResult::kError: return AcceptOutcome::kFailed;
      case WaitResult::kReady: break;
    }
    accepted = listener.Accept(1);
    return accepted ? AcceptOutcome::kAccepted : AcceptOutcome::kFailed;
  }
}

std::size_t Clamp(std::int32_t size) {
  return static_cast<std::size_t>(std::clamp<std::int32_t>(size, 0, kLanBufferSize));
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
  context.log.Replace(ServerStartLine(settings.port));

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
    if (parts.connections.Running() >= static_cast<std::size_t>(parts.maxConnections)) {
      context.counters.connectionsRefused.fetch_add(1);
      context.log.Append(ConnectionRefusedLine(clientAddress, parts.maxConnections));
      continue;  // the socket closes here
    }
    context.log.Append(ConnectionLine(clientAddress, hostName));
    context.counters.connectionsAccepted.fetch_add(1);
    auto shared = std::make_shared<TcpSocket>(std::move(client));
    parts.connections.Start([&context, shared](std::stop_token connectionStop) {
      ConnectionThread(std::move(connectionStop), context, std::move(*shared));
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
  const std::stop_callback wake(stop, [&socket] { socket.Shutdown(); });

  bool firstPass = true;
  for (;;) {
    const std::size_t receiveSize = Clamp(context.state.serverSizes.load().receive);
    const long received = socket.Receive(std::span(receiveBuffer.data(), receiveSize));
    if (firstPass && received >= 1) {
      if (const auto first = InterpretFirstChunk(std::span(receiveBuffer.data(), static_cast<std::size_t>(received)))) {
        ApplyServerMode(context.state, first->mode);
      }
    }
    firstPass = false;
    const std::size_t sendSize = Clamp(context.state.serverSizes.load().send);
    const long sent = socket.Send(std::span<const std::uint8_t>(sendBuffer.data(), sendSize));
    if (received <= 0) break;
    context.state.serverMeter.Add(received, sent);
    context.state.serverMeter.ReportIfDue(context.ticks, [&context](const MeterDeltas& deltas) {
      context.log.Prepend(ServerReportLine(context.clock.Now(), deltas));
    });
    if (stop.stop_requested()) break;
  }
}

}  // namespace qnc
