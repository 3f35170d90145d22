#pragma once
#include <array>
#include <chrono>
#include <cstddef>
#include <optional>
#include <span>

#include "core/probe/sample.h"

namespace qnc {

// What a row's history says, in milliseconds. The round-trip figures cover
// the answered samples only and are empty when there is none.
struct RowStatistics {
  std::size_t count = 0;     // samples
  std::size_t answered = 0;  // of them answered
  double lossPercent = 0;    // failed samples per hundred; 0 without samples

  std::optional<double> lastMs;  // the newest sample's round trip, when it answered
  std::optional<double> minMs, meanMs, maxMs;
  std::optional<double> stddevMs;  // population standard deviation
  std::optional<double> jitterMs;  // mean absolute difference of consecutive round trips (two or more answers)
  std::optional<double> medianMs, p95Ms, p99Ms;

  std::optional<std::chrono::system_clock::time_point> lastAnswer, lastFailure;
  std::optional<FailureReason> lastOutcome;    // the newest sample's outcome
  std::optional<FailureReason> commonFailure;  // the most frequent failure reason
  // The failed samples by reason, indexed by FailureReason.
  std::array<std::size_t, kAllFailureReasons.size()> failures{};
};

// The statistics of samples given oldest first. Percentiles interpolate
// linearly between the nearest ranks (the median of an even count is the mean
// of the middle two). A tie for the most frequent failure goes to the reason
// seen last.
RowStatistics ComputeRowStatistics(std::span<const Sample> samples);

}  // namespace qnc
