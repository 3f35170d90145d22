#pragma once
#include <cstdint>
#include <optional>
#include <stop_token>

#include "platform/ipv4.h"

namespace qnc {

// An answer to one probe of a route.
struct HopAnswer {
  std::uint16_t probe = 0;  // the number the probe was sent with
  Ipv4NetOrder from = 0;
  // The destination itself answered (echo reply, an accepted or refused
  // connect, its own "port unreachable"): the route ends at this probe's TTL.
  bool reachedDestination = false;
};

// Sends probes towards one destination with a chosen time to live and says
// which of them were answered, and by whom. ICMP echo and TCP connects are
// the two kinds; tests put in a scripted one.
class HopProber {
 public:
  virtual ~HopProber() = default;
  // Sends probe number `probe` expiring after `ttl` routers; false when it
  // could not be sent (it then counts as lost).
  virtual bool Send(std::uint16_t probe, int ttl) = 0;
  // Waits at most timeoutMs (stoppable) for the next answer to a probe in flight.
  virtual std::optional<HopAnswer> Wait(int timeoutMs, std::stop_token stop) = 0;
  // The tracer gave up on a probe; an answer for it would come too late.
  virtual void Forget(std::uint16_t probe) { (void)probe; }
};

}  // namespace qnc
