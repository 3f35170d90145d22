#pragma once
// A traced route as plain data: what a window or the terminal shows of it.
// Copied out of the tracer whole (RouteTrace::Snapshot), so a view reads it
// on its own thread without any lock.
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/ipv4.h"

namespace qnc {

// One address that answered for a hop (several where the route is balanced
// over parallel links), with its reverse name once looked up ("" when it has
// none or the lookup is still due).
struct HopResponder {
  Ipv4NetOrder address = 0;
  std::string name;
  std::uint32_t answers = 0;
};

// A probe's round trip in microseconds, or kLostSample when nothing came back.
inline constexpr std::int32_t kLostSample = -1;

struct HopFigures {
  std::uint32_t sent = 0;  // probes whose fate is known (answered or timed out)
  std::uint32_t lost = 0;
  double lossPercent = 0;
  // Round trips in milliseconds, over every answered probe; nothing before the first answer.
  std::optional<double> lastMs, meanMs, bestMs, worstMs, stdDevMs;
  // The mean difference between successive round trips.
  std::optional<double> jitterMs;
  // The median of the recent samples' round trips.
  std::optional<double> recentMedianMs;
  // The recent samples, oldest first, and their loss share in percent.
  std::vector<std::int32_t> recentUs;
  double recentLossPercent = 0;
};

struct HopSnapshot {
  int ttl = 0;
  std::vector<HopResponder> responders;  // most answers first; empty while the hop stays silent
  HopFigures figures;
  bool isDestination = false;  // the destination itself answered at this TTL
};

// The responders changed: at `ttl` an address answered that the route had not
// shown there before (or the destination moved to another hop count).
struct RouteChange {
  std::chrono::system_clock::time_point at;
  int ttl = 0;
  std::vector<Ipv4NetOrder> before;  // the addresses the hop had answered from
  Ipv4NetOrder after = 0;            // 0: the destination's hop count changed (see text)
  std::string text;                  // a line a user reads
};

struct RouteSnapshot {
  std::string target;                    // as the user gave it
  Ipv4NetOrder destination = 0;          // its address
  std::optional<std::uint16_t> tcpPort;  // TCP mode: the port the probes connect to
  std::chrono::milliseconds interval{1000};
  // Probes go to each hop more often than once a second: routers that limit
  // their answers then show loss that is no fault.
  bool fastPace = false;
  std::uint32_t rounds = 0;  // rounds sent
  std::optional<int> destinationTtl;
  std::vector<HopSnapshot> hops;  // TTL 1 upwards, up to the destination (or the last TTL probed)
  std::vector<RouteChange> changes;
  std::string error;  // why tracing failed to start; "" while it runs
};

}  // namespace qnc
