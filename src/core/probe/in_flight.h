#pragma once
// Many probes of one table in flight at once on the calling thread: the
// requests go out on one socket (ping, DNS) or on non-blocking sockets that
// are watched together (connects), each answer is matched to its row, and a
// pass over many silent rows lasts about one time-out instead of one per row.
#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <stop_token>

#include "platform/ticks.h"

namespace qnc {

// Probes are sent in bursts: up to `burst` of them every kBurstIntervalMs, so
// that thousands of rows never leave in one flood that a router or the host's
// ICMP rate limit would drop part of.
inline constexpr int kBurstIntervalMs = 10;
// At most this many probes of one table are in flight; the next row waits for
// one of them to end.
inline constexpr std::size_t kMaxProbesInFlight = 16384;

// True once the 32-bit tick `now` has reached `deadline` (across the wrap).
constexpr bool TickReached(std::uint32_t now, std::uint32_t deadline) {
  return static_cast<std::int32_t>(now - deadline) >= 0;
}

// The probes in flight: each under the key its answer is matched by (an echo
// sequence, a query identifier), with its row index, the value its answer is
// checked against, and the tick by which it times out. Deadlines come in the
// order the probes were sent, since all of a pass have the same time-out.
template <typename Key, typename Value>
class FlightBook {
 public:
  struct Entry {
    std::size_t index = 0;
    Value value{};
  };

  // A key must not be in flight already.
  void Add(const Key& key, std::size_t index, Value value, std::uint32_t deadline) {
    pending_[key] = Entry{index, std::move(value)};
    order_.push_back(Sent{key, index, deadline});
  }
  const Entry* Find(const Key& key) const {
    const auto found = pending_.find(key);
    return found == pending_.end() ? nullptr : &found->second;
  }
  bool Has(const Key& key) const { return pending_.contains(key); }
  void Remove(const Key& key) { pending_.erase(key); }
  std::size_t Size() const { return pending_.size(); }
  // Calls each(key, entry) for every probe in flight, by key.
  template <typename Each>
  void ForEach(Each each) const {
    for (const auto& [key, entry] : pending_) each(key, entry);
  }

  // Removes every probe whose deadline `now` has reached and calls
  // expired(entry) for each, the oldest first.
  template <typename Expired>
  void ExpireAt(std::uint32_t now, Expired expired) {
    DropAnswered();
    while (!order_.empty() && TickReached(now, order_.front().deadline)) {
      const auto found = pending_.find(order_.front().key);
      order_.pop_front();
      const Entry entry = found->second;
      pending_.erase(found);
      expired(entry);
      DropAnswered();
    }
  }

  // Milliseconds from `now` to the earliest deadline; nothing when none is in flight.
  std::optional<int> MsToNextDeadline(std::uint32_t now) {
    DropAnswered();
    if (order_.empty()) return std::nullopt;
    return std::max(0, static_cast<int>(static_cast<std::int32_t>(order_.front().deadline - now)));
  }

 private:
  struct Sent {
    Key key;
    std::size_t index = 0;
    std::uint32_t deadline = 0;
  };
  // Forgets the oldest sends that were answered (their key gone, or in use by a later probe).
  void DropAnswered() {
    while (!order_.empty()) {
      const auto found = pending_.find(order_.front().key);
      if (found != pending_.end() && found->second.index == order_.front().index) return;
      order_.pop_front();
    }
  }

  std::map<Key, Entry> pending_;
  std::deque<Sent> order_;
};

// Says when the next probes may go: up to `burst` per kBurstIntervalMs.
class SendPacer {
 public:
  explicit SendPacer(int burst) : burst_(std::max(burst, 1)) {}

  bool MaySend(std::uint32_t now) {
    if (!windowOpen_ || TickReached(now, windowStart_ + kBurstIntervalMs)) {
      windowOpen_ = true;
      windowStart_ = now;
      sentInWindow_ = 0;
    }
    return sentInWindow_ < burst_;
  }
  void Sent() { ++sentInWindow_; }
  // Milliseconds from `now` until the next probe may go.
  int MsToNextSend(std::uint32_t now) const {
    if (sentInWindow_ < burst_) return 0;
    return std::max(0, static_cast<int>(static_cast<std::int32_t>(windowStart_ + kBurstIntervalMs - now)));
  }

 private:
  int burst_;
  int sentInWindow_ = 0;
  bool windowOpen_ = false;
  std::uint32_t windowStart_ = 0;
};

// Runs `count` probes with up to `cap` in flight, sent in bursts of `burst`,
// until all have ended or a stop is requested (the probes still in flight
// then end unreported). The engine:
//   void Start(std::size_t index): sends probe `index` (reporting it at once
//     when it cannot be sent);
//   std::size_t InFlight();
//   std::optional<int> MsToNextDeadline(std::uint32_t now);
//   void Expire(std::uint32_t now): reports the probes whose time is up;
//   void Receive(int waitMs, std::stop_token): waits at most waitMs for
//     answers (0: takes only those already there) and reports them.
template <typename Engine>
void RunInFlight(std::size_t count, int burst, std::size_t cap, std::stop_token stop, Engine& engine) {
  SendPacer pacer(burst);
  std::size_t next = 0;
  while (!stop.stop_requested()) {
    const std::uint32_t now = TickCount();
    while (next < count && engine.InFlight() < cap && pacer.MaySend(now)) {
      engine.Start(next++);
      pacer.Sent();
    }
    engine.Expire(now);
    const bool sendable = next < count && engine.InFlight() < cap;
    if (next >= count && engine.InFlight() == 0) return;
    int waitMs = engine.MsToNextDeadline(now).value_or(INT_MAX);
    if (sendable) waitMs = std::min(waitMs, pacer.MsToNextSend(now));
    engine.Receive(waitMs, stop);
  }
}

}  // namespace qnc
