#pragma once
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string_view>

#include "platform/ipv4.h"
#include "platform/resolve.h"

namespace qnc {

// A request to restart the DNS and ping tables' counters (raised by the
// configuration import). Each of the two workers has its own pending mark and
// consumes only its own.
class ResetRequest {
 public:
  void Raise() {
    dnsPending_.store(true);
    pingPending_.store(true);
  }
  bool ConsumeDns() { return dnsPending_.exchange(false); }
  bool ConsumePing() { return pingPending_.exchange(false); }

 private:
  std::atomic<bool> dnsPending_{false};
  std::atomic<bool> pingPending_{false};
};

// Serialises host-name resolution between the ping probe and the game worker.
// It is held from just before a lookup until the first address is copied, and
// never while a cell or a counter is written.
class ResolverLock {
 public:
  // lookup stands in for the system's name lookup (tests); empty: the system's.
  explicit ResolverLock(HostLookup lookup = {}) : lookup_(std::move(lookup)) {}

  // The first IPv4 address of host, looked up under the lock. Nothing, at
  // once, when stop is requested: while waiting for the lock (another worker
  // may sit in a lookup that hangs) or for the lookup itself.
  std::optional<Ipv4NetOrder> Resolve(std::string_view host, std::stop_token stop);

 private:
  // The lock is a flag under a mutex with a stoppable wait for it to clear,
  // rather than a timed mutex: waiting stops at once on a stop request, and
  // ThreadSanitizer sees every step (it cannot follow glibc's timed locks).
  std::mutex mutex_;
  std::condition_variable_any released_;
  bool held_ = false;
  const HostLookup lookup_;
};

}  // namespace qnc
