#pragma once
#include <chrono>
#include <cstdint>

#include "core/probe/failure_reason.h"

namespace qnc {

// One probe of one row as the history keeps it.
struct Sample {
  // When the probe started, on the wall clock (for showing and exporting).
  std::chrono::system_clock::time_point time;
  // The round trip on the steady clock, in microseconds: from sending the
  // request to the answer. For a failure, the time until the failure was known.
  std::uint32_t roundTripUs = 0;
  FailureReason outcome = FailureReason::kNone;

  bool Answered() const { return outcome == FailureReason::kNone; }
  double RoundTripMs() const { return static_cast<double>(roundTripUs) / 1000.0; }
  bool operator==(const Sample&) const = default;
};

}  // namespace qnc
