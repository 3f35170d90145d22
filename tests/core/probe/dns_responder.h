#pragma once
// A scripted DNS server on a loopback address for tests and benchmarks: each
// query is answered according to the script's entry for its name.
#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "core/probe/dns_wire.h"
#include "platform/udp_socket.h"

namespace qnc::test {

struct ScriptedAnswer {
  enum class Kind { kAddress, kNameError, kSilent } kind = Kind::kAddress;
  Bytes address = Ipv4Data(10, 0, 0, 1);
  std::chrono::milliseconds delay{0};
  // Before its answer (or its silence) the responder sends datagrams that are
  // not the reply: the reply from another socket, the reply with another
  // identifier, and the reply cut inside its question.
  bool straysFirst = false;
};

class DnsResponder {
 public:
  // Binds to address:port (port 0 picks a free one) and serves until destroyed.
  explicit DnsResponder(Ipv4NetOrder address, std::uint16_t port = 0) : socket_(UdpSocket::Open()) {
    if (!socket_ || !socket_->Bind(address, port)) throw std::runtime_error("cannot bind the DNS responder");
    thread_ = std::jthread([this](std::stop_token stop) { Serve(stop); });
  }

  std::uint16_t Port() const { return socket_->LocalPort(); }

  void Script(const std::string& name, ScriptedAnswer answer) {
    std::lock_guard lock(mutex_);
    script_[name] = answer;
  }

  // Called with each query's name as it arrives (on the responder's thread).
  void OnQuery(std::function<void(const std::string&)> hook) {
    std::lock_guard lock(mutex_);
    onQuery_ = std::move(hook);
  }

  int QueriesSeen() const {
    std::lock_guard lock(mutex_);
    return queries_;
  }

  // How long each answered query was held between its arrival and its reply,
  // in the order of the replies: the part of a round trip that the responder
  // adds, as it really was (a sleep overshoots its delay).
  std::vector<std::chrono::nanoseconds> Holds() const {
    std::lock_guard lock(mutex_);
    return holds_;
  }

  void ClearHolds() {
    std::lock_guard lock(mutex_);
    holds_.clear();
  }

 private:
  void Serve(std::stop_token stop) {
    std::uint8_t buffer[1500];
    while (!stop.stop_requested()) {
      const auto datagram = socket_->ReceiveFrom(buffer, 100, stop);
      if (!datagram || datagram->length < 12) continue;
      const auto arrived = std::chrono::steady_clock::now();
      const std::uint16_t id = static_cast<std::uint16_t>((buffer[0] << 8) | buffer[1]);
      const std::string name = QueryName(buffer, datagram->length);
      ScriptedAnswer answer;
      std::function<void(const std::string&)> hook;
      {
        std::lock_guard lock(mutex_);
        ++queries_;
        if (auto found = script_.find(name); found != script_.end()) answer = found->second;
        hook = onQuery_;
      }
      if (hook) hook(name);
      const Bytes reply = answer.kind == ScriptedAnswer::Kind::kNameError
                              ? Reply(id, name, {}, {}, {}, 0x8183)
                              : Reply(id, name, {Record{Pointer(12), 1, 1, answer.address}});
      if (answer.straysFirst) SendStrays(*datagram, id, reply);
      if (answer.kind == ScriptedAnswer::Kind::kSilent) continue;
      if (answer.delay.count() > 0) std::this_thread::sleep_for(answer.delay);
      const auto held = std::chrono::steady_clock::now() - arrived;
      socket_->SendTo(datagram->from, datagram->fromPort, reply);
      std::lock_guard lock(mutex_);
      holds_.push_back(held);
    }
  }

  void SendStrays(const UdpSocket::Datagram& query, std::uint16_t id, const Bytes& reply) {
    if (auto other = UdpSocket::Open()) other->SendTo(query.from, query.fromPort, reply);
    Bytes otherId = reply;
    otherId[1] = static_cast<std::uint8_t>(id + 1);
    otherId[0] = static_cast<std::uint8_t>((id + 1) >> 8);
    socket_->SendTo(query.from, query.fromPort, otherId);
    socket_->SendTo(query.from, query.fromPort, Bytes(reply.begin(), reply.begin() + 14));
  }

  std::optional<UdpSocket> socket_;
  mutable std::mutex mutex_;
  std::map<std::string, ScriptedAnswer> script_;
  std::function<void(const std::string&)> onQuery_;
  int queries_ = 0;
  std::vector<std::chrono::nanoseconds> holds_;
  std::jthread thread_;
};

}  // namespace qnc::test
