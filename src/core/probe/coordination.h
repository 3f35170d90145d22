#pragma once
#include <atomic>

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

}  // namespace qnc
