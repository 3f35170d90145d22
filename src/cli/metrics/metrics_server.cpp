#include "cli/metrics/metrics_server.h"

#include <algorithm>
#include <charconv>
#include <list>
#include <optional>
#include <span>
#include <system_error>
#include <utility>
#include <vector>

#include "platform/ipv4.h"
#include "platform/socket_handle.h"
#include "platform/ticks.h"

namespace qnc {

namespace {

// The longest the loop sleeps: how soon it notices that it should stop.
constexpr int kLoopSliceMs = 100;
// New connections taken per turn of the loop, so that a flood of connects
// does not keep the loop from the connections it has.
constexpr int kAcceptsPerTurn = 64;
constexpr int kListenBacklog = 1024;

bool Before(std::uint32_t a, std::uint32_t b) { return static_cast<std::int32_t>(a - b) < 0; }

struct Connection {
  enum class Phase {
    kReading,    // waiting for (the rest of) a request head
    kWriting,    // sending an answer
    kLingering,  // the last answer sent: reading what is left until the client closes
  };

  Connection(TcpSocket accepted, std::uint32_t now)
      : socket(std::move(accepted)), waitingSince(now), deadline(now + kRequestHeadTimeoutMs) {}

  TcpSocket socket;
  Phase phase = Phase::kReading;
  std::string input;
  std::string output;
  std::size_t sent = 0;
  bool closeAfterAnswer = false;
  bool closed = false;
  std::uint32_t waitingSince;  // since when it waits for its next request
  std::uint32_t deadline;      // of the phase it is in
};

// The serving loop and its connections; lives on the server's thread.
class ServingLoop {
 public:
  ServingLoop(TcpSocket listener, MetricsServer::TextWriter writeMetrics)
      : listener_(std::move(listener)), writeMetrics_(std::move(writeMetrics)) {}

  void Run(const std::stop_token& stop) {
    std::vector<SocketWatch> watches;
    while (!stop.stop_requested()) {
      watches.assign(1, SocketWatch{listener_.Native(), true, false});
      std::uint32_t now = TickCount();
      int timeout = kLoopSliceMs;
      for (const Connection& connection : connections_) {
        const bool writing = connection.sent < connection.output.size();
        watches.push_back(SocketWatch{connection.socket.Native(), !writing, writing});
        timeout = std::clamp(static_cast<int>(connection.deadline - now), 0, timeout);
      }
      if (!WaitSockets(watches, timeout)) continue;
      now = TickCount();
      std::size_t i = 1;
      for (Connection& connection : connections_) {
        const SocketWatch& watch = watches[i++];
        if (watch.readable) Read(connection, now);
        if (watch.writable && !connection.closed) Write(connection, now);
        if (!connection.closed && !Before(now, connection.deadline)) Expire(connection, now);
      }
      connections_.remove_if([](const Connection& connection) { return connection.closed; });
      if (watches.front().readable) AcceptNew(now);
    }
  }

 private:
  void AcceptNew(std::uint32_t now) {
    for (int n = 0; n < kAcceptsPerTurn; ++n) {
      auto accepted = listener_.Accept(1);
      if (!accepted) return;
      if (connections_.size() >= kMaxMetricsConnections && !MakeRoom()) continue;  // the newcomer closes
      if (!accepted->socket.SetNonBlocking(true)) continue;
      connections_.emplace_back(std::move(accepted->socket), now);
    }
  }

  // Closes the connection that has waited longest for a request (one that is
  // lingering first): false when every connection is busy answering.
  bool MakeRoom() {
    const auto rank = [](const Connection& c) { return c.phase == Connection::Phase::kLingering ? 0 : 1; };
    auto chosen = connections_.end();
    for (auto it = connections_.begin(); it != connections_.end(); ++it) {
      if (it->phase == Connection::Phase::kWriting) continue;
      if (chosen == connections_.end() || rank(*it) < rank(*chosen) ||
          (rank(*it) == rank(*chosen) && Before(it->waitingSince, chosen->waitingSince))) {
        chosen = it;
      }
    }
    if (chosen == connections_.end()) return false;
    connections_.erase(chosen);
    return true;
  }

  void Read(Connection& connection, std::uint32_t now) {
    std::uint8_t buffer[16384];
    for (;;) {
      const long received = connection.socket.Receive(buffer);
      if (received == 0 || (received < 0 && !IsTimeoutError(LastSocketError()))) {
        connection.closed = true;  // the client closed or the connection broke
        return;
      }
      if (received < 0) break;
      if (connection.phase == Connection::Phase::kLingering) continue;  // read and dropped
      if (connection.input.empty() && connection.phase == Connection::Phase::kReading) {
        // A request has begun: its head has kRequestHeadTimeoutMs from here.
        if (Before(now + kRequestHeadTimeoutMs, connection.deadline)) connection.deadline = now + kRequestHeadTimeoutMs;
      }
      connection.input.append(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(received));
      if (connection.input.size() > kMaxRequestHead * 2) break;  // enough to judge; the rest waits in the socket
    }
    if (connection.phase == Connection::Phase::kReading) Answer(connection, now);
  }

  // Answers the request at the start of the input, when its head is complete.
  void Answer(Connection& connection, std::uint32_t now) {
    const HeadReading head = ReadRequestHead(connection.input, kMaxRequestHead);
    switch (head.outcome) {
      case HeadReading::Outcome::kIncomplete:
        return;
      case HeadReading::Outcome::kBad:
        connection.output = AnswerRefusal(head.status);
        connection.closeAfterAnswer = true;
        connection.input.clear();
        break;
      case HeadReading::Outcome::kComplete: {
        connection.input.erase(0, head.length);
        connection.closeAfterAnswer = !head.request.keepAlive || head.request.hasBody;
        connection.output = AnswerRequest(head.request, writeMetrics_, connection.closeAfterAnswer);
        break;
      }
    }
    connection.sent = 0;
    connection.phase = Connection::Phase::kWriting;
    connection.deadline = now + kSendStallMs;
    Write(connection, now);
  }

  void Write(Connection& connection, std::uint32_t now) {
    while (connection.sent < connection.output.size()) {
      const std::string_view rest = std::string_view(connection.output).substr(connection.sent);
      const long sent =
          connection.socket.Send(std::span(reinterpret_cast<const std::uint8_t*>(rest.data()), rest.size()));
      if (sent < 0) {
        if (!IsTimeoutError(LastSocketError())) connection.closed = true;
        return;
      }
      connection.sent += static_cast<std::size_t>(sent);
      connection.deadline = now + kSendStallMs;
    }
    if (connection.phase != Connection::Phase::kWriting) return;
    connection.output.clear();
    connection.sent = 0;
    if (connection.closeAfterAnswer) {
      connection.socket.ShutdownSending();
      connection.phase = Connection::Phase::kLingering;
      connection.deadline = now + kLingerMs;
      return;
    }
    connection.phase = Connection::Phase::kReading;
    connection.waitingSince = now;
    connection.deadline = now + (connection.input.empty() ? kKeepAliveIdleMs : kRequestHeadTimeoutMs);
    if (!connection.input.empty()) Answer(connection, now);  // a pipelined request
  }

  void Expire(Connection& connection, std::uint32_t now) {
    if (connection.phase == Connection::Phase::kReading && !connection.input.empty()) {
      // A request begun and never finished: say so, then close.
      connection.input.clear();
      connection.output = AnswerRefusal(408);
      connection.closeAfterAnswer = true;
      connection.phase = Connection::Phase::kWriting;
      connection.deadline = now + kSendStallMs;
      Write(connection, now);
      if (connection.phase == Connection::Phase::kWriting) connection.closed = true;  // no room even for that
      return;
    }
    connection.closed = true;
  }

  TcpSocket listener_;
  MetricsServer::TextWriter writeMetrics_;
  std::list<Connection> connections_;
};

std::string SystemErrorText(int error) {
  return std::to_string(error) + " (" + std::system_category().message(error) + ")";
}

}  // namespace

std::unique_ptr<MetricsServer> MetricsServer::Listen(const std::string& address, TextWriter writeMetrics,
                                                     std::string& whyNot) {
  const std::size_t colon = address.rfind(':');
  const std::optional<Ipv4NetOrder> ip =
      colon == std::string::npos ? std::nullopt : ParseDottedQuad(address.substr(0, colon));
  unsigned port = 0;
  const char* portEnd = address.data() + address.size();
  const auto parsed = colon == std::string::npos ? std::from_chars_result{nullptr, std::errc::invalid_argument}
                                                 : std::from_chars(address.data() + colon + 1, portEnd, port);
  if (!ip || parsed.ec != std::errc() || parsed.ptr != portEnd || port > 65535) {
    whyNot = "not an address and port: " + address;
    return nullptr;
  }
  auto listener = TcpSocket::Open();
  if (!listener) {
    whyNot = "cannot open a socket: " + SystemErrorText(LastSocketError());
    return nullptr;
  }
  listener->SetReuseAddress(true);
  if (!listener->Bind(*ip, static_cast<std::uint16_t>(port))) {
    whyNot = "cannot bind to " + address + ": " + SystemErrorText(LastSocketError());
    return nullptr;
  }
  if (!listener->Listen(kListenBacklog) || !listener->SetNonBlocking(true)) {
    whyNot = "cannot listen on " + address + ": " + SystemErrorText(LastSocketError());
    return nullptr;
  }
  return std::unique_ptr<MetricsServer>(new MetricsServer(std::move(*listener), std::move(writeMetrics)));
}

MetricsServer::MetricsServer(TcpSocket listener, TextWriter writeMetrics) : port_(listener.LocalPort()) {
  thread_ = std::jthread([loop = std::make_shared<ServingLoop>(std::move(listener), std::move(writeMetrics))](
                             const std::stop_token& stop) { loop->Run(stop); });
}

MetricsServer::~MetricsServer() = default;

}  // namespace qnc
