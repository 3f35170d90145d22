// The latency chart's scale: round tops with at most five lines, plain figures
// however large or small, and spikes above a capped scale instead of a scale
// stretched by them.
#include "core/history/chart_scale.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qnc {
namespace {

std::vector<double> Steady(std::size_t count, double low, double high) {
  std::vector<double> values;
  for (std::size_t i = 0; i < count; ++i) values.push_back(low + (high - low) * static_cast<double>(i % 7) / 6);
  return values;
}

std::vector<double> With(std::vector<double> values, std::initializer_list<double> more) {
  values.insert(values.end(), more);
  return values;
}

TEST(ChartScale, TopLinesAndFiguresForEachKindOfRow) {
  struct Case {
    const char* name;
    std::vector<double> latencies;
    double top;
    std::vector<std::string> labels;
    std::size_t aboveTop;
  };
  const Case cases[] = {
      {"no probes yet", {}, 0.1, {"0.00 ms", "0.02 ms", "0.04 ms", "0.06 ms", "0.08 ms", "0.10 ms"}, 0},
      {"loopback, under the lowest top",
       Steady(50, 0.03, 0.07),
       0.1,
       {"0.00 ms", "0.02 ms", "0.04 ms", "0.06 ms", "0.08 ms", "0.10 ms"},
       0},
      {"a LAN", Steady(50, 0.2, 0.4), 0.5, {"0.0 ms", "0.1 ms", "0.2 ms", "0.3 ms", "0.4 ms", "0.5 ms"}, 0},
      {"a steady server", Steady(50, 20, 30), 40, {"0 ms", "10 ms", "20 ms", "30 ms", "40 ms"}, 0},
      {"seconds, evenly spread",
       Steady(50, 900, 2200),
       2500,
       {"0 ms", "500 ms", "1000 ms", "1500 ms", "2000 ms", "2500 ms"},
       0},
      {"one SYN retried after a second among 100",
       With(Steady(100, 20, 30), {1031}),
       50,
       {"0 ms", "10 ms", "20 ms", "30 ms", "40 ms", "50 ms"},
       1},
      {"a few spikes among many",
       With(Steady(500, 10, 14), {3002, 1001, 6004}),
       25,
       {"0 ms", "5 ms", "10 ms", "15 ms", "20 ms", "25 ms"},
       3},
      {"a spike among ten is a twelfth of them: the scale takes it",
       With(Steady(10, 20, 30), {1031}),
       1500,
       {"0 ms", "500 ms", "1000 ms", "1500 ms"},
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const LatencyScale scale = ComputeLatencyScale(c.latencies);
    EXPECT_NEAR(scale.topMs, c.top, c.top * 1e-9);
    EXPECT_EQ(scale.lineLabels, c.labels);
    ASSERT_EQ(scale.lineValuesMs.size(), scale.lineLabels.size());
    EXPECT_NEAR(scale.lineValuesMs.back(), scale.topMs, scale.topMs * 1e-9);
    EXPECT_EQ(scale.aboveTop, c.aboveTop);
    EXPECT_EQ(scale.capped, c.aboveTop > 0);
  }
}

TEST(ChartScale, TheHighestLatencyIsKeptWhenTheScaleIsCapped) {
  const LatencyScale scale = ComputeLatencyScale(With(Steady(100, 20, 30), {1031, 5}));
  EXPECT_TRUE(scale.capped);
  EXPECT_DOUBLE_EQ(scale.highestMs, 1031);
  EXPECT_LT(scale.topMs, 1031);
}

TEST(ChartScale, FiguresArePlainDecimals) {
  struct Case {
    double value;
    double step;
    const char* text;
  };
  const Case cases[] = {{1000, 500, "1000 ms"},  {2500, 500, "2500 ms"}, {20000, 5000, "20000 ms"},
                        {0.25, 0.05, "0.25 ms"}, {0.2, 0.1, "0.2 ms"},   {0, 0.02, "0.00 ms"},
                        {12, 2, "12 ms"}};
  for (const Case& c : cases) EXPECT_EQ(ScaleLabel(c.value, c.step), c.text) << c.value << " by " << c.step;
}

}  // namespace
}  // namespace qnc
