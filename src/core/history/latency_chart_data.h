#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/history/chart_scale.h"
#include "core/probe/sample.h"

namespace qnc {

// What the latency chart of a row draws, worked out for a plot of a given
// size in pixels, so that a window only paints it. Vertical positions are in
// pixels down from the plot's top edge (0) to its bottom edge (the plot's
// height); column i is the plot's i-th pixel column from the left.

// A line of the scale: where it lies and its figure ("0.05 ms").
struct ChartScaleLine {
  double y = 0;
  std::string label;
};

// The probes that fall into one pixel column, by their time.
struct ChartColumn {
  // Some probe of the column was answered; then the line runs through the
  // first, the lowest, the highest and the last latency of the column, in
  // that order (a latency above the scale's top lies at its top edge).
  bool answered = false;
  double firstY = 0;
  double lowY = 0;  // the lowest latency, so the largest y
  double highY = 0;
  double lastY = 0;
  // A latency of the column lies above the scale's top: marked at the top edge.
  bool aboveTop = false;
  // Failed probes in the column: marked along the bottom edge.
  std::uint32_t failures = 0;
};

// The legend and time texts of the chart.
inline constexpr std::string_view kChartLatencyLegend = "延时";
inline constexpr std::string_view kChartNoDataText = "还没有测量数据";

struct LatencyChartData {
  std::vector<ChartScaleLine> scaleLines;  // from 0 up to the top
  std::vector<ChartColumn> columns;        // one per pixel column; empty without samples
  std::size_t failures = 0;                // failed probes in all
  // The time of day under the plot's left end, middle and right end; empty
  // without samples.
  std::string startTime, middleTime, endTime;
  std::string failureLegend;  // "失败 13 次"
  // "超出刻度 1 次，最高 0.9 ms" when the scale is capped below some
  // latencies, so that nothing measured is hidden by the cap; else empty.
  std::string aboveTopLegend;
};

// The scale of the chart of `samples`: its lines and figures (what the window
// needs to find the room they take on the left), from the answered ones.
LatencyScale ChartScaleOf(std::span<const Sample> samples);

// The chart of `samples` (oldest first) on `scale` (ChartScaleOf of the same
// samples) for a plot of `widthPx` x `heightPx` pixels. The samples span at
// least a second across the plot's width, so that a few of them do not
// stretch over it.
LatencyChartData ChartDataOf(std::span<const Sample> samples, const LatencyScale& scale, int widthPx, int heightPx);

}  // namespace qnc
