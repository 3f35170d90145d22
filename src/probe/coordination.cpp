#include "probe/coordination.h"

#include "platform/stoppable_wait.h"

namespace qnc {

std::optional<Ipv4NetOrder> ResolverLock::Resolve(std::string_view host, std::stop_token stop) {
  {
    std::unique_lock lock(mutex_);
    if (!WaitUnlessStopped(released_, lock, stop, [this] { return !held_; })) return std::nullopt;
    held_ = true;
  }
  // Released however the lookup ends.
  struct Release {
    ResolverLock& owner;
    ~Release() {
      {
        std::lock_guard lock(owner.mutex_);
        owner.held_ = false;
      }
      owner.released_.notify_one();
    }
  } release{*this};
  return ResolveIpv4UnlessStopped(host, stop, lookup_);
}

}  // namespace qnc
