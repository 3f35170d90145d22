#include "core/lantest/client_engine.h"

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "core/lantest/chunk_streamer.h"
#include "core/lantest/log_lines.h"
#include "core/lantest/port_text.h"
#include "core/lantest/request_pacer.h"
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

// Counts a connection's bytes into the meter from its first reply on. Sends
// made before then wait here and go in with that reply, as they did when
// every pass counted its send together with its receive: a connection that the
// server turns away, or that never hears back, has measured nothing. The
// sending and the receiving thread both come through here.
class FirstReplyGate {
 public:
  explicit FirstReplyGate(ThroughputMeter& meter) : meter_(meter) {}

  void Sent(long bytes) {
    if (bytes <= 0) return;
    std::lock_guard lock(mutex_);
    if (replied_) {
      meter_.Add(0, bytes);
    } else {
      held_ += bytes;
    }
  }
  void Received(long bytes) {
    std::lock_guard lock(mutex_);
    replied_ = true;
    meter_.Add(bytes, std::exchange(held_, 0));
  }

 private:
  ThroughputMeter& meter_;
  std::mutex mutex_;
  bool replied_ = false;
  std::int64_t held_ = 0;
};

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
  ThroughputMeter& meter = context.state.clientMeter;
  const auto report = [&context, &meter] {
    meter.ReportIfDue(context.ticks, [&context](const MeterDeltas& deltas) {
      context.log.Prepend(ClientReportLine(context.clock.Now(), deltas));
    });
  };
  // Sends only count; a report is considered after data came in, as it was
  // when every pass ended with its receive, so a silent server gets no lines.
  FirstReplyGate counted(meter);
  const auto countSent = [&counted](long sent) { counted.Sent(sent); };

  // Sending and receiving overlap, so that the path stays full instead of
  // carrying one chunk per round trip. A download asks for its replies with
  // small requests, paced by what came back; the other modes stream their
  // chunks from a thread of their own while this one receives.
  std::optional<RequestPacer> pacer;
  std::optional<ChunkStreamer> streamer;
  const auto sendDueRequests = [&] {
    for (std::int64_t due = pacer->Due(); due > 0 && !stop.stop_requested(); --due) {
      countSent(socket->Send(chunk));
      pacer->Sent();
    }
  };
  if (mode == static_cast<int>(TransferMode::kDownloadOnly)) {
    pacer.emplace(ServerSizesFor(mode)->send);
    sendDueRequests();
  } else {
    streamer.emplace(*socket, chunk, countSent);
  }

  bool receivedAny = false;
  for (;;) {
    const long received = socket->Receive(receiveSpace);
    if (received <= 0) {
      // The server sends nothing to a connection it turns away, only the
      // close (or a reset, when our first chunk was still unread); a time-out
      // is a server that is slow or silent.
      const int error = received == 0 ? 0 : LastSocketError();
      const bool timedOut = received < 0 && IsTimeoutError(error);
      if (stop.stop_requested()) break;
      if (!receivedAny && !timedOut) {
        context.counters.clientsRefused.fetch_add(1);
        context.log.Prepend(kRefusedText);
      } else if (receivedAny) {
        // Say why a running test stopped: the server closed it, went silent,
        // or the connection failed (a reset among them).
        const ConnectionEnd why = received == 0 ? ConnectionEnd::kClosedByServer
                                  : timedOut    ? ConnectionEnd::kTimedOut
                                                : ConnectionEnd::kFailed;
        context.log.Prepend(ConnectionEndedLine(why, error));
      }
      break;
    }
    receivedAny = true;
    counted.Received(received);
    report();
    if (pacer) {
      pacer->Received(received);
      sendDueRequests();
    }
    if (stop.stop_requested()) break;
  }
}

}  // namespace qnc
