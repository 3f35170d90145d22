#include "probe/coordination.h"

#include <chrono>

namespace qnc {

namespace {

// How long each attempt to take the lock waits before the stop request is
// looked at again.
constexpr std::chrono::milliseconds kLockSlice{20};

}  // namespace

std::optional<Ipv4NetOrder> ResolverLock::Resolve(std::string_view host, std::stop_token stop) {
  while (!mutex_.try_lock_for(kLockSlice)) {
    if (stop.stop_requested()) return std::nullopt;
  }
  std::lock_guard held(mutex_, std::adopt_lock);
  return ResolveIpv4UnlessStopped(host, stop, lookup_);
}

}  // namespace qnc
