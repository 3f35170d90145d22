#pragma once
#include <chrono>

#include "core/probe/failure_reason.h"

namespace qnc {

// How one probe ended: answered (kNone) or why not, and its round trip on the
// steady clock, from sending the request to the answer (for a failure, to the
// moment it was known; zero when nothing was sent).
struct ProbeOutcome {
  FailureReason reason = FailureReason::kLocalError;
  std::chrono::steady_clock::duration roundTrip{};

  bool Answered() const { return reason == FailureReason::kNone; }
};

}  // namespace qnc
