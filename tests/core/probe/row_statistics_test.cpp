#include "core/probe/row_statistics.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "core/probe/failure_reason.h"

namespace qnc {
namespace {

using std::chrono::seconds;
using Clock = std::chrono::system_clock;

// Samples one second apart from a fixed start: a number is an answer with that
// round trip in milliseconds, a reason is a failure.
struct Step {
  double ms = 0;
  FailureReason outcome = FailureReason::kNone;
  Step(double trip) : ms(trip) {}                  // NOLINT(google-explicit-constructor): tables read better
  Step(FailureReason reason) : outcome(reason) {}  // NOLINT(google-explicit-constructor)
};

const Clock::time_point kStart = Clock::time_point(seconds(1'700'000'000));

std::vector<Sample> Samples(const std::vector<Step>& steps) {
  std::vector<Sample> samples;
  for (std::size_t i = 0; i < steps.size(); ++i) {
    samples.push_back(Sample{kStart + seconds(i), static_cast<std::uint32_t>(steps[i].ms * 1000), steps[i].outcome});
  }
  return samples;
}

TEST(RowStatistics, FiguresOfKnownSeries) {
  constexpr auto kT = FailureReason::kTimeout;
  constexpr auto kR = FailureReason::kRefused;
  struct Case {
    std::string name;
    std::vector<Step> steps;
    double loss, min, mean, max, stddev, median, p95;
    std::optional<double> jitter, last;
  };
  const std::vector<Case> cases = {
      {"one answer", {5.5}, 0, 5.5, 5.5, 5.5, 0, 5.5, 5.5, std::nullopt, 5.5},
      // 2 4 4 4 5 5 7 9: mean 5, population deviation 2, median between 4 and 5.
      {"textbook deviation", {2, 4, 4, 4, 5, 5, 7, 9}, 0, 2, 5, 9, 2, 4.5, 8.3, 1.0, 9},
      // Failures are skipped for the round trips and the jitter (10 -> 30 -> 20).
      {"gaps", {10, kT, 30, kR, kT, 20}, 50, 10, 20, 30, std::sqrt(200.0 / 3.0), 20, 29, 15, 20},
      {"odd median", {3, 1, 2}, 0, 1, 2, 3, std::sqrt(2.0 / 3.0), 2, 2.9, 1.5, 2},
  };
  for (const Case& c : cases) {
    const auto samples = Samples(c.steps);
    const RowStatistics stats = ComputeRowStatistics(samples);
    EXPECT_EQ(stats.count, c.steps.size()) << c.name;
    EXPECT_DOUBLE_EQ(stats.lossPercent, c.loss) << c.name;
    EXPECT_DOUBLE_EQ(stats.minMs.value(), c.min) << c.name;
    EXPECT_DOUBLE_EQ(stats.meanMs.value(), c.mean) << c.name;
    EXPECT_DOUBLE_EQ(stats.maxMs.value(), c.max) << c.name;
    EXPECT_NEAR(stats.stddevMs.value(), c.stddev, 1e-9) << c.name;
    EXPECT_DOUBLE_EQ(stats.medianMs.value(), c.median) << c.name;
    EXPECT_NEAR(stats.p95Ms.value(), c.p95, 1e-9) << c.name;
    EXPECT_EQ(stats.jitterMs.has_value(), c.jitter.has_value()) << c.name;
    if (c.jitter && stats.jitterMs) {
      EXPECT_NEAR(*stats.jitterMs, *c.jitter, 1e-9) << c.name;
    }
    EXPECT_EQ(stats.lastMs, c.last) << c.name;
  }
}

TEST(RowStatistics, PercentilesOfAFullRing) {
  std::vector<Step> steps;
  for (int i = 3600; i >= 1; --i) steps.emplace_back(static_cast<double>(i));  // 3600 ms down to 1 ms
  const RowStatistics stats = ComputeRowStatistics(Samples(steps));
  EXPECT_DOUBLE_EQ(stats.medianMs.value(), 1800.5);
  EXPECT_NEAR(stats.p95Ms.value(), 3420.05, 1e-6);
  EXPECT_NEAR(stats.p99Ms.value(), 3564.01, 1e-6);
  EXPECT_DOUBLE_EQ(stats.jitterMs.value(), 1.0);
}

TEST(RowStatistics, TimesAndReasons) {
  constexpr auto kT = FailureReason::kTimeout;
  constexpr auto kN = FailureReason::kNameNotFound;
  const RowStatistics stats = ComputeRowStatistics(Samples({kN, kT, 7, kT, kN, 8, kN}));
  EXPECT_EQ(stats.answered, 2u);
  EXPECT_EQ(stats.lastAnswer, kStart + seconds(5));
  EXPECT_EQ(stats.lastFailure, kStart + seconds(6));
  EXPECT_EQ(stats.lastOutcome, kN);
  EXPECT_FALSE(stats.lastMs.has_value()) << "the newest probe failed";
  EXPECT_EQ(stats.commonFailure, kN);

  // A tie goes to the reason seen last.
  EXPECT_EQ(ComputeRowStatistics(Samples({kN, kT, kT, kN})).commonFailure, kN);
  EXPECT_EQ(ComputeRowStatistics(Samples({kN, kT})).commonFailure, kT);

  const RowStatistics none = ComputeRowStatistics({});
  EXPECT_EQ(none.count, 0u);
  EXPECT_EQ(none.lossPercent, 0);
  EXPECT_FALSE(none.meanMs || none.lastOutcome || none.commonFailure || none.lastAnswer);

  const RowStatistics allLost = ComputeRowStatistics(Samples({kT, kT}));
  EXPECT_EQ(allLost.lossPercent, 100);
  EXPECT_FALSE(allLost.medianMs || allLost.minMs || allLost.lastAnswer);
  EXPECT_EQ(allLost.lastFailure, kStart + seconds(1));
}

TEST(FailureReason, LabelsAreDistinctAndReadBack) {
  std::set<std::string_view> labels, texts;
  for (const FailureReason reason : kAllFailureReasons) {
    EXPECT_TRUE(labels.insert(FailureLabel(reason)).second) << FailureLabel(reason);
    EXPECT_TRUE(texts.insert(FailureText(reason)).second) << FailureText(reason);
    EXPECT_EQ(FailureReasonFromLabel(FailureLabel(reason)), reason);
  }
  EXPECT_EQ(FailureLabel(FailureReason::kNameNotFound), "nxdomain");
  EXPECT_EQ(FailureText(FailureReason::kTimeout), "超时");
  EXPECT_FALSE(FailureReasonFromLabel("OK").has_value());
}

}  // namespace
}  // namespace qnc
