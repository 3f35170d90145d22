#pragma once
#include <atomic>
#include <cstdint>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>
#include <utility>

#include "platform/ipv4.h"

namespace qnc {

// Every served connection costs a thread and two megabytes of buffers, and
// anyone on the network can connect: the server serves at most this many at
// once, and at most kMaxConnectionsPerSource from one address, so that one
// machine cannot take every place.
inline constexpr int kMaxServedConnections = 64;
inline constexpr int kMaxConnectionsPerSource = 8;

// A connection is judged by what it moves (received and sent together) in
// windows of this length of the server's clock. One that moved less than
// kMinBytesPerWindow in its latest whole window is slow: a byte every half
// second, or a download whose client stopped reading, keeps a connection
// alive but tests nothing, while a real test on any LAN moves megabytes.
// When the server is full, a newcomer takes the place of the slowest of them.
inline constexpr std::uint32_t kActivityWindowMs = 5000;
inline constexpr std::uint64_t kMinBytesPerWindow = 65536;

// What one served connection moves. Both of its threads count bytes; its own
// thread closes the windows; the limits read the latest whole window and can
// ask the connection to give its place up.
class ConnectionActivity {
 public:
  // Bytes moved in either direction (nothing for a failure or a time-out).
  void Moved(long bytes) {
    if (bytes > 0) moved_.fetch_add(static_cast<std::uint64_t>(bytes), std::memory_order_relaxed);
  }
  // Closes the window when it has lasted kActivityWindowMs; the first call
  // opens the first window. Only the connection's own thread calls it.
  void Judge(std::uint32_t now);
  // True once a whole window has passed with less than kMinBytesPerWindow moved.
  bool Slow() const { return lastWindowBytes_.load() < kMinBytesPerWindow; }
  std::uint64_t LastWindowBytes() const { return lastWindowBytes_.load(); }

  // Set when a newcomer took the place: the connection ends.
  std::stop_token GivenUp() const { return giveUp_.get_token(); }
  void GiveUp() { giveUp_.request_stop(); }

 private:
  static constexpr std::uint64_t kNotJudged = ~std::uint64_t{0};
  std::atomic<std::uint64_t> moved_{0};
  std::atomic<std::uint64_t> lastWindowBytes_{kNotJudged};
  std::optional<std::uint32_t> windowStart_;  // the connection's thread only
  std::uint64_t windowStartBytes_ = 0;
  std::stop_source giveUp_;
};

// Places for the connections that a server serves at once, counted in all and
// per source address. Thread-safe; it must outlive the places it hands out.
class ConnectionLimits {
 public:
  struct Entry;

  // One connection's place; freed when it goes away.
  class Place {
   public:
    Place(Place&& other) noexcept : limits_(std::exchange(other.limits_, nullptr)), entry_(std::move(other.entry_)) {}
    Place& operator=(Place&&) = delete;
    Place(const Place&) = delete;
    ~Place();

    ConnectionActivity& Activity() const;

   private:
    friend class ConnectionLimits;
    Place(ConnectionLimits& limits, std::shared_ptr<Entry> entry) : limits_(&limits), entry_(std::move(entry)) {}
    ConnectionLimits* limits_;
    std::shared_ptr<Entry> entry_;
  };

  // Which limit turned a connection away, and its value.
  struct Refusal {
    bool perSource = false;
    int limit = 0;
  };

  explicit ConnectionLimits(int total = kMaxServedConnections, int perSource = kMaxConnectionsPerSource)
      : total_(total), perSource_(perSource) {}
  ConnectionLimits(const ConnectionLimits&) = delete;
  ConnectionLimits& operator=(const ConnectionLimits&) = delete;

  // A place for a connection from `source`, or the reason there is none. When
  // every place is taken, the slowest connection (see ConnectionActivity)
  // gives its place up to the newcomer; its address goes to `displaced`.
  std::optional<Place> Admit(Ipv4NetOrder source, Refusal& refusal, std::optional<Ipv4NetOrder>* displaced = nullptr);

 private:
  void Release(Entry& entry);
  void FreeLocked(Entry& entry);

  const int total_;
  const int perSource_;
  std::mutex mutex_;
  int served_ = 0;
  std::map<Ipv4NetOrder, int> bySource_;
  std::list<std::shared_ptr<Entry>> entries_;  // the places that count, oldest first
};

}  // namespace qnc
