#include "core/probe/row_statistics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace qnc {

namespace {

// Linear interpolation between the closest ranks of sorted values.
double Percentile(const std::vector<double>& sorted, double percent) {
  const double position = percent / 100.0 * static_cast<double>(sorted.size() - 1);
  const auto below = static_cast<std::size_t>(std::floor(position));
  const std::size_t above = std::min(below + 1, sorted.size() - 1);
  const double fraction = position - static_cast<double>(below);
  return sorted[below] + (sorted[above] - sorted[below]) * fraction;
}

}  // namespace

RowStatistics ComputeRowStatistics(std::span<const Sample> samples) {
  RowStatistics stats;
  stats.count = samples.size();
  if (samples.empty()) return stats;

  std::vector<double> trips;
  trips.reserve(samples.size());
  auto& failures = stats.failures;
  std::array<std::size_t, kAllFailureReasons.size()> lastSeen{};
  double jitterSum = 0;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const Sample& sample = samples[i];
    if (sample.Answered()) {
      const double trip = sample.RoundTripMs();
      if (!trips.empty()) jitterSum += std::fabs(trip - trips.back());
      trips.push_back(trip);
      stats.lastAnswer = sample.time;
    } else {
      const auto reason = static_cast<std::size_t>(sample.outcome);
      if (reason < failures.size()) {
        ++failures[reason];
        lastSeen[reason] = i + 1;
      }
      stats.lastFailure = sample.time;
    }
  }
  stats.answered = trips.size();
  stats.lossPercent = static_cast<double>(stats.count - stats.answered) * 100.0 / static_cast<double>(stats.count);
  stats.lastOutcome = samples.back().outcome;
  if (samples.back().Answered()) stats.lastMs = samples.back().RoundTripMs();

  std::size_t best = 0;
  for (std::size_t reason = 1; reason < failures.size(); ++reason) {
    if (failures[reason] == 0) continue;
    if (best == 0 || failures[reason] > failures[best] ||
        (failures[reason] == failures[best] && lastSeen[reason] > lastSeen[best])) {
      best = reason;
    }
  }
  if (best != 0) stats.commonFailure = static_cast<FailureReason>(best);

  if (trips.empty()) return stats;
  if (trips.size() > 1) stats.jitterMs = jitterSum / static_cast<double>(trips.size() - 1);
  double sum = 0;
  for (const double trip : trips) sum += trip;
  const double mean = sum / static_cast<double>(trips.size());
  double squares = 0;
  for (const double trip : trips) squares += (trip - mean) * (trip - mean);
  stats.meanMs = mean;
  stats.stddevMs = std::sqrt(squares / static_cast<double>(trips.size()));

  std::sort(trips.begin(), trips.end());
  stats.minMs = trips.front();
  stats.maxMs = trips.back();
  stats.medianMs = Percentile(trips, 50);
  stats.p95Ms = Percentile(trips, 95);
  stats.p99Ms = Percentile(trips, 99);
  return stats;
}

}  // namespace qnc
