#include "core/diagnosis/latency_under_load.h"

#include <gtest/gtest.h>

#include <chrono>
#include <vector>

namespace qnc {
namespace {

using namespace std::chrono_literals;
using TimePoint = std::chrono::system_clock::time_point;

const TimePoint kStart = TimePoint{} + 1000h;

Sample Answer(std::chrono::milliseconds at, double roundTripMs) {
  return {kStart + at, static_cast<std::uint32_t>(roundTripMs * 1000), FailureReason::kNone};
}
Sample Lost(std::chrono::milliseconds at) { return {kStart + at, 1000000, FailureReason::kTimeout}; }

// Three seconds quiet, then a ten-second test.
const LoadPeriods kPeriods{kStart, kStart + 3s, kStart + 13s};

TEST(LatencyUnderLoad, SortsSamplesIntoTheQuietStretchAndTheTest) {
  const std::vector<Sample> samples = {
      Answer(-500ms, 900),  // before the quiet stretch: left out
      Answer(0ms, 10),     Answer(1000ms, 12), Answer(2999ms, 11),  Answer(3000ms, 90),
      Answer(4000ms, 100), Lost(5000ms),       Answer(12999ms, 95), Answer(13000ms, 900),  // after the test: left out
  };
  const LatencyUnderLoad result = MeasureLatencyUnderLoad(samples, kPeriods);
  EXPECT_EQ(result.idle.count, 3u);
  EXPECT_EQ(result.loaded.count, 4u);
  EXPECT_EQ(result.loaded.answered, 3u);
  ASSERT_TRUE(result.addedMs);
  EXPECT_DOUBLE_EQ(*result.addedMs, 95.0 - 11.0);
  EXPECT_EQ(LatencyUnderLoadText(result), "负载下延迟增加 84 ms：差");
}

TEST(LatencyUnderLoad, NeedsAnswersInBothStretches) {
  for (const std::vector<Sample>& samples : {std::vector<Sample>{Answer(4000ms, 50)},                // nothing quiet
                                             std::vector<Sample>{Answer(1000ms, 10), Lost(4000ms)},  // test all lost
                                             std::vector<Sample>{}}) {
    const LatencyUnderLoad result = MeasureLatencyUnderLoad(samples, kPeriods);
    EXPECT_FALSE(result.addedMs);
    EXPECT_EQ(LatencyUnderLoadText(result), "负载下延迟：测量不足");
  }
}

TEST(LatencyUnderLoad, AFasterMedianUnderLoadAddsNothing) {
  const std::vector<Sample> samples = {Answer(1000ms, 20), Answer(4000ms, 18)};
  const LatencyUnderLoad result = MeasureLatencyUnderLoad(samples, kPeriods);
  ASSERT_TRUE(result.addedMs);
  EXPECT_EQ(*result.addedMs, 0.0);
  EXPECT_EQ(LatencyUnderLoadText(result), "负载下延迟增加 0 ms：非常好");
}

TEST(LatencyUnderLoad, GradesAtTheirBounds) {
  const struct {
    double addedMs;
    const char* grade;
  } cases[] = {{0, "非常好"},  {5, "非常好"}, {5.1, "好"}, {30, "好"},
               {30.5, "一般"}, {60, "一般"},  {61, "差"},  {500, "差"}};
  for (const auto& c : cases) EXPECT_EQ(LoadGrade(c.addedMs), c.grade) << c.addedMs;
}

}  // namespace
}  // namespace qnc
