// The chart of a row for a plot of a given size: samples binned into pixel
// columns by time, latencies as pixel heights on the scale, failures counted
// per column, spikes above a capped scale marked, and the time labels.
#include "core/history/latency_chart_data.h"

#include <gtest/gtest.h>

#include "core/history/history_text.h"
#include "history_sample.h"

namespace qnc {
namespace {

using test::Answered;
using test::Failed;

LatencyChartData ChartOf(const std::vector<Sample>& samples, int width, int height) {
  return ChartDataOf(samples, ChartScaleOf(samples), width, height);
}

TEST(LatencyChartData, ScaleLinesRunFromTheBottomEdgeToTheTop) {
  const LatencyChartData chart = ChartOf({Answered(0, 18), Answered(1, 36)}, 100, 200);
  ASSERT_EQ(chart.scaleLines.size(), 5u);  // 0 to 40 ms by 10
  EXPECT_DOUBLE_EQ(chart.scaleLines.front().y, 200);
  EXPECT_EQ(chart.scaleLines.front().label, "0 ms");
  EXPECT_DOUBLE_EQ(chart.scaleLines[1].y, 150);
  EXPECT_DOUBLE_EQ(chart.scaleLines.back().y, 0);
  EXPECT_EQ(chart.scaleLines.back().label, "40 ms");
}

TEST(LatencyChartData, SamplesFallIntoPixelColumnsByTime) {
  // 11 columns over 10 s: one column per second.
  const std::vector<Sample> samples{Answered(0, 10),
                                    Answered(0.2, 30),
                                    Answered(0.4, 20),
                                    Failed(0.5, FailureReason::kTimeout),
                                    Answered(5, 40),
                                    Failed(10, FailureReason::kRefused),
                                    Failed(10, FailureReason::kRefused)};
  const LatencyChartData chart = ChartOf(samples, 11, 100);  // top 50 ms: 2 px a millisecond
  ASSERT_EQ(chart.columns.size(), 11u);
  const ChartColumn& first = chart.columns[0];
  EXPECT_TRUE(first.answered);
  EXPECT_DOUBLE_EQ(first.firstY, 80);
  EXPECT_DOUBLE_EQ(first.lowY, 80);
  EXPECT_DOUBLE_EQ(first.highY, 40);
  EXPECT_DOUBLE_EQ(first.lastY, 60);
  EXPECT_EQ(first.failures, 1u);
  EXPECT_TRUE(chart.columns[5].answered);
  EXPECT_DOUBLE_EQ(chart.columns[5].highY, 20);
  EXPECT_FALSE(chart.columns[3].answered);
  EXPECT_EQ(chart.columns[3].failures, 0u);
  EXPECT_FALSE(chart.columns[10].answered);
  EXPECT_EQ(chart.columns[10].failures, 2u);
  EXPECT_EQ(chart.failures, 3u);
  EXPECT_EQ(chart.failureLegend, "失败 3 次");
  EXPECT_EQ(chart.startTime, TimeOfDayText(test::SecondAt(0)));
  EXPECT_EQ(chart.middleTime, TimeOfDayText(test::SecondAt(5)));
  EXPECT_EQ(chart.endTime, TimeOfDayText(test::SecondAt(10)));
}

TEST(LatencyChartData, AFewSamplesSpanAtLeastASecond) {
  const LatencyChartData chart = ChartOf({Answered(0, 5), Answered(0.5, 5)}, 101, 50);
  EXPECT_TRUE(chart.columns[0].answered);
  EXPECT_TRUE(chart.columns[50].answered) << "half a second is half the width";
  EXPECT_FALSE(chart.columns[100].answered);
  EXPECT_EQ(chart.endTime, TimeOfDayText(test::SecondAt(1)));
}

TEST(LatencyChartData, SpikesAboveACappedScaleAreMarkedAtTheTopEdge) {
  std::vector<Sample> samples;
  for (int second = 0; second < 100; ++second) samples.push_back(Answered(second, 20 + second % 10));
  samples.push_back(Answered(100, 1031));
  const LatencyChartData chart = ChartOf(samples, 101, 100);
  const ChartColumn& spike = chart.columns[100];
  EXPECT_TRUE(spike.aboveTop);
  EXPECT_DOUBLE_EQ(spike.highY, 0) << "drawn at the top edge";
  EXPECT_FALSE(chart.columns[99].aboveTop);
  EXPECT_EQ(chart.aboveTopLegend, "超出刻度 1 次，最高 1031 ms");

  samples.back() = Answered(100, 45);
  EXPECT_EQ(ChartOf(samples, 101, 100).aboveTopLegend, "") << "a scale that holds everything is not capped";
}

TEST(LatencyChartData, WithoutSamplesOnlyTheScale) {
  const LatencyChartData chart = ChartOf({}, 300, 100);
  EXPECT_TRUE(chart.columns.empty());
  EXPECT_FALSE(chart.scaleLines.empty());
  EXPECT_EQ(chart.startTime, "");
  EXPECT_EQ(chart.failureLegend, "失败 0 次");
  EXPECT_TRUE(ChartOf({Answered(0, 1)}, 0, 100).columns.empty()) << "no room, no columns";
}

}  // namespace
}  // namespace qnc
