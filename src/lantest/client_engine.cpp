#include "lantest/client_engine.h"

#include <algorithm>
#include <chrono>
#include <optional>
#include <span>
#include <vector>

#include "lantest/log_lines.h"
#include "lantest/port_text.h"
#include "platform/ipv4.h"
#include "platform/on_stop.h"
#include "platform/resolve.h"
#include "platform/socket_handle.h"
#include "platform/stop_sleep.h"
#include "platform/tcp_socket.h"

namespace qnc {

namespace {

constexpr auto kRetryDelay = std::chrono::milliseconds(1000);

// A fresh socket with the time-outs set, or nothing after writing the reason
// to standard output.
std::optional<TcpSocket> OpenClientSocket(const LanEngineContext& context) {
  auto socket = TcpSocket::Open();
  if (!socket) {
    context.console.Write("socket() fail:" + std::to_string(LastSocketError()) + "\n");
    return std::nullopt;
  }
  socket->SetReceiveTimeout(kLanSocketTimeoutMs);
  socket->SetSendTimeout(kLanSocketTimeoutMs);
  return socket;
}

std::size_t Clamp(std::int32_t size) {
  return static_cast<std::size_t>(std::clamp<std::int32_t>(size, 0, kLanBufferSize));
}

}  // namespace

void ClientThread(std::stop_token stop, const LanEngineContext& context, LanClientSettings settings, int mode) {
  auto socket = OpenClientSocket(context);
  if (!socket) return;
  const Ipv4NetOrder address = InetAddr(settings.address);
  // The lines name the port the socket uses, the field's low 16 bits.
  const std::uint16_t port = SocketPort(settings.port);
  context.log.Prepend(ConnectingLine(port));

  // Each attempt is bounded by the connect cap and this thread's stop; a
  // failed attempt is followed by a retry line and a second's pause, which a
  // stop ends. Some systems refuse a second connect on one socket, so every
  // retry starts from a fresh one.
  while (socket->Connect(address, port, kConnectTimeoutMs, stop) != ConnectResult::kConnected) {
    if (stop.stop_requested()) return;
    context.log.Prepend(RetryLine(port));
    if (!SleepUnlessStopped(stop, kRetryDelay)) return;
    socket = OpenClientSocket(context);
    if (!socket) return;
  }
  context.counters.clientsConnected.fetch_add(1);

  socket->SetSendBufferSize(kLanSocketBufferBytes);
  socket->SetReceiveBufferSize(kLanSocketBufferBytes);
  std::vector<std::uint8_t> sendBuffer(kLanBufferSize);
  const std::string hostName = WireHostName(LocalHostName());
  context.log.Replace(kConnectedText);
  std::vector<std::uint8_t> receiveBuffer(kLanBufferSize);
  WriteClientGreeting(sendBuffer, hostName);
  if (stop.stop_requested()) return;
  // The owner's stop wakes a send or receive that is waiting on this socket.
  const OnStop wake(stop, [&socket] { socket->Shutdown(); });

  sendBuffer[0] = static_cast<std::uint8_t>(mode);
  const ChunkSizes sizes = ClientSizesFor(mode).value_or(kUnappliedSizes);
  const std::span<const std::uint8_t> chunk(sendBuffer.data(), Clamp(sizes.send));
  const std::span<std::uint8_t> receiveSpace(receiveBuffer.data(), Clamp(sizes.receive));
  bool receivedAny = false;
  for (;;) {
    const long sent = socket->Send(chunk);
    const long received = socket->Receive(receiveSpace);
    if (received <= 0) {
      // The server sends nothing to a connection it turns away, only the
      // close (or a reset, when our first chunk was still unread); a time-out
      // is a server that is slow or silent.
      const bool closedByServer = received == 0 || !IsTimeoutError(LastSocketError());
      if (!receivedAny && closedByServer && !stop.stop_requested()) {
        context.counters.clientsRefused.fetch_add(1);
        context.log.Prepend(kRefusedText);
      }
      break;
    }
    receivedAny = true;
    context.state.clientMeter.Add(received, sent);
    context.state.clientMeter.ReportIfDue(context.ticks, [&context](const MeterDeltas& deltas) {
      context.log.Prepend(ClientReportLine(context.clock.Now(), deltas));
    });
    if (stop.stop_requested()) break;
  }
}

}  // namespace qnc
