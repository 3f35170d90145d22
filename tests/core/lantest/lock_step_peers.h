#pragma once
// Peers of the LAN test written in the test from the stream's rules alone,
// each doing one exchange at a time: the client sends a chunk and then reads
// up to a chunk, the server reads up to a chunk and then sends one. They stand
// for the other side's older program, and they check every byte they get.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <list>
#include <mutex>
#include <span>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "core/lantest/lan_stream.h"
#include "core/lantest/lan_test_state.h"
#include "lan_test_support.h"
#include "platform/resolve.h"
#include "platform/tcp_socket.h"

namespace qnc::testing {

// The client chunk of a mode as the stream defines it: mode byte, this
// machine's host name, the greeting, a zero byte, zero filler.
inline std::vector<std::uint8_t> ClientChunk(int mode) {
  std::vector<std::uint8_t> chunk(static_cast<std::size_t>(ClientSizesFor(mode)->send), 0);
  chunk[0] = static_cast<std::uint8_t>(mode);
  const std::string name = WireHostName(LocalHostName());
  const std::string text = name + std::string(kGreeting);
  std::copy(text.begin(), text.end(), chunk.begin() + 1);
  return chunk;
}

// Checks a byte stream that should repeat one chunk over and over, whatever
// pieces it arrives in.
class RepeatChecker {
 public:
  explicit RepeatChecker(std::vector<std::uint8_t> chunk) : chunk_(std::move(chunk)) {}
  // Counts the pieces (each within one chunk) that differ from the chunk.
  void Feed(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
      const std::size_t length = std::min(chunk_.size() - offset_, bytes.size());
      if (!std::equal(bytes.begin(), bytes.begin() + static_cast<long>(length),
                      chunk_.begin() + static_cast<long>(offset_))) {
        ++mismatches_;
      }
      offset_ = (offset_ + length) % chunk_.size();
      bytes = bytes.subspan(length);
    }
  }
  std::int64_t Mismatches() const { return mismatches_; }

 private:
  std::vector<std::uint8_t> chunk_;
  std::size_t offset_ = 0;
  std::int64_t mismatches_ = 0;
};

inline void ApplyTestConnectionOptions(TcpSocket& socket) {
  socket.SetSendBufferSize(kLanSocketBufferBytes);
  socket.SetReceiveBufferSize(kLanSocketBufferBytes);
  socket.SetReceiveTimeout(kLanSocketTimeoutMs);
  socket.SetSendTimeout(kLanSocketTimeoutMs);
}

// What one side of a test connection moved, and what it found wrong.
struct PeerTally {
  std::atomic<std::int64_t> received{0};
  std::atomic<std::int64_t> sent{0};
  std::atomic<std::int64_t> passes{0};
  std::atomic<std::int64_t> mismatches{0};
  std::atomic<int> firstByte{-1};
  std::atomic<std::int64_t> largestReceive{0};
};

// A listener on 127.0.0.1 that runs `serve` on a thread per accepted
// connection until it is destroyed (which stops and joins everything).
class ScriptedServer {
 public:
  using Serve = std::function<void(TcpSocket& socket, std::stop_token stop)>;

  explicit ScriptedServer(Serve serve) : listener_(TcpSocket::Open().value()), serve_(std::move(serve)) {
    listener_.Bind(Loopback(), 0);
    listener_.Listen(16);
    acceptor_ = std::jthread([this](std::stop_token stop) {
      while (!stop.stop_requested()) {
        auto accepted = listener_.Accept(50, stop);
        if (!accepted) continue;
        ApplyTestConnectionOptions(accepted->socket);
        std::lock_guard lock(mutex_);
        auto& socket = sockets_.emplace_back(std::move(accepted->socket));
        ++accepted_;
        connections_.emplace_back([this, &socket](std::stop_token connectionStop) {
          const std::stop_callback wake(connectionStop, [&socket] { socket.Shutdown(); });
          serve_(socket, connectionStop);
          socket.Shutdown();
        });
      }
    });
  }
  ~ScriptedServer() {
    acceptor_.request_stop();
    acceptor_.join();
    std::lock_guard lock(mutex_);
    connections_.clear();  // each stops (waking its socket) and joins
  }
  std::uint16_t Port() const { return listener_.LocalPort(); }
  int Accepted() const {
    std::lock_guard lock(mutex_);
    return accepted_;
  }

 private:
  TcpSocket listener_;
  Serve serve_;
  mutable std::mutex mutex_;
  int accepted_ = 0;
  std::list<TcpSocket> sockets_;
  std::list<std::jthread> connections_;  // after the sockets: joined before they close
  std::jthread acceptor_;
};

// The server side of the stream, one exchange per pass: receive up to a
// chunk (1024000 bytes until the first byte has set the mode), then send a
// chunk of the mode's size. It checks that the client's bytes repeat the
// client chunk of that mode. A server that misbehaves: `replyBytes`, when
// set, replaces the size of every reply (fewer or more than the stream's);
// after `replies` passes (when not negative) it goes on receiving but sends
// nothing more.
struct LockStepServerQuirks {
  long replyBytes = 0;
  long replies = -1;
};
inline void ServeLockStep(TcpSocket& socket, std::stop_token stop, PeerTally& tally, LockStepServerQuirks quirks = {}) {
  std::vector<std::uint8_t> receiveBuffer(kLanBufferSize);
  const std::vector<std::uint8_t> sendBuffer(kLanBufferSize, 0);
  ChunkSizes sizes = kUnappliedSizes;
  std::optional<RepeatChecker> checker;
  while (!stop.stop_requested()) {
    const long received = socket.Receive(std::span(receiveBuffer.data(), static_cast<std::size_t>(sizes.receive)));
    if (received >= 1 && !checker) {
      const int mode = static_cast<std::int8_t>(receiveBuffer[0]);
      tally.firstByte.store(mode);
      if (const auto server = ServerSizesFor(mode)) sizes = *server;
      checker.emplace(ClientChunk(mode));
    }
    const long size = quirks.replyBytes > 0 ? quirks.replyBytes : sizes.send;
    const bool replies = quirks.replies < 0 || tally.passes.load() < quirks.replies;
    const long sent = replies ? socket.Send(std::span(sendBuffer.data(), static_cast<std::size_t>(size))) : 0;
    if (sent > 0) tally.sent += sent;
    if (received <= 0) return;
    const std::int64_t mismatchesBefore = checker->Mismatches();
    checker->Feed(std::span(receiveBuffer.data(), static_cast<std::size_t>(received)));
    tally.mismatches += checker->Mismatches() - mismatchesBefore;
    tally.received += received;
    ++tally.passes;
  }
}

// The client side of the stream, one exchange per pass: send the mode's
// chunk, then receive up to a chunk; it checks that every byte it gets is
// the server's zero filler. Runs until stopped or the server goes quiet.
inline void RunLockStepClient(std::uint16_t port, int mode, std::stop_token stop, PeerTally& tally) {
  auto socket = TcpSocket::Open().value();
  socket.SetReceiveTimeout(kLanSocketTimeoutMs);
  socket.SetSendTimeout(kLanSocketTimeoutMs);
  if (socket.Connect(Loopback(), port, 3000, stop) != ConnectResult::kConnected) return;
  ApplyTestConnectionOptions(socket);
  const std::vector<std::uint8_t> chunk = ClientChunk(mode);
  std::vector<std::uint8_t> receiveBuffer(static_cast<std::size_t>(ClientSizesFor(mode)->receive));
  const std::vector<std::uint8_t> zeros(receiveBuffer.size(), 0);
  while (!stop.stop_requested()) {
    const long sent = socket.Send(chunk);
    const long received = socket.Receive(receiveBuffer);
    if (received <= 0) return;
    if (!std::equal(receiveBuffer.begin(), receiveBuffer.begin() + received, zeros.begin())) ++tally.mismatches;
    tally.received += received;
    if (sent > 0) tally.sent += sent;
    ++tally.passes;
    if (received > tally.largestReceive.load()) tally.largestReceive.store(received);
  }
}

}  // namespace qnc::testing
