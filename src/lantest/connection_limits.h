#pragma once
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "platform/ipv4.h"

namespace qnc {

// Every served connection costs a thread and two megabytes of buffers, and
// anyone on the network can connect: the server serves at most this many at
// once, and at most kMaxConnectionsPerSource from one address, so that one
// machine cannot take every place.
inline constexpr int kMaxServedConnections = 64;
inline constexpr int kMaxConnectionsPerSource = 8;

// Places for the connections that a server serves at once, counted in all and
// per source address. Thread-safe; it must outlive the places it hands out.
class ConnectionLimits {
 public:
  // One connection's place; freed when it goes away.
  class Place {
   public:
    Place(Place&& other) noexcept : limits_(std::exchange(other.limits_, nullptr)), source_(other.source_) {}
    Place& operator=(Place&&) = delete;
    Place(const Place&) = delete;
    ~Place();

   private:
    friend class ConnectionLimits;
    Place(ConnectionLimits& limits, Ipv4NetOrder source) : limits_(&limits), source_(source) {}
    ConnectionLimits* limits_;
    Ipv4NetOrder source_;
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

  // A place for a connection from `source`, or the reason there is none.
  std::optional<Place> Admit(Ipv4NetOrder source, Refusal& refusal);

 private:
  void Release(Ipv4NetOrder source);

  const int total_;
  const int perSource_;
  std::mutex mutex_;
  int served_ = 0;
  std::map<Ipv4NetOrder, int> bySource_;
};

}  // namespace qnc
