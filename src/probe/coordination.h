#pragma once
#include <atomic>
#include <mutex>

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
  void lock() { mutex_.lock(); }
  void unlock() { mutex_.unlock(); }

 private:
  std::mutex mutex_;
};

}  // namespace qnc
