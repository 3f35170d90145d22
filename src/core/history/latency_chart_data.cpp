#include "core/history/latency_chart_data.h"

#include <algorithm>
#include <chrono>

#include "core/history/history_text.h"

namespace qnc {

namespace {

// The samples always span at least this much across the plot.
constexpr std::chrono::milliseconds kShortestSpan{1000};

std::int64_t MillisecondsOf(std::chrono::system_clock::time_point time) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
}

}  // namespace

LatencyScale ChartScaleOf(std::span<const Sample> samples) {
  std::vector<double> latencies;
  latencies.reserve(samples.size());
  for (const Sample& sample : samples) {
    if (sample.Answered()) latencies.push_back(sample.RoundTripMs());
  }
  return ComputeLatencyScale(latencies);
}

LatencyChartData ChartDataOf(std::span<const Sample> samples, const LatencyScale& scale, int widthPx, int heightPx) {
  LatencyChartData chart;
  const double height = std::max(heightPx, 0);
  const double top = scale.topMs > 0 ? scale.topMs : 1;
  // Latencies above the top lie at the top edge.
  const auto yOf = [&](double latencyMs) { return height - std::min(latencyMs, top) / top * height; };
  for (std::size_t line = 0; line < scale.lineValuesMs.size() && line < scale.lineLabels.size(); ++line) {
    chart.scaleLines.push_back({yOf(scale.lineValuesMs[line]), scale.lineLabels[line]});
  }
  if (scale.capped) {
    chart.aboveTopLegend = "超出刻度 " + std::to_string(scale.aboveTop) + " 次，最高 " +
                           ScaleLabel(scale.highestMs, scale.highestMs < 100 ? 0.1 : 1);
  }
  if (samples.empty() || widthPx <= 0) {
    chart.failureLegend = "失败 0 次";
    return chart;
  }

  // Each sample falls into one pixel column by its time.
  const std::int64_t start = MillisecondsOf(samples.front().time);
  const std::int64_t span = std::max<std::int64_t>(MillisecondsOf(samples.back().time) - start, kShortestSpan.count());
  chart.columns.resize(static_cast<std::size_t>(widthPx));
  const std::size_t last = chart.columns.size() - 1;
  for (const Sample& sample : samples) {
    const double share = static_cast<double>(MillisecondsOf(sample.time) - start) / static_cast<double>(span);
    const double position = std::clamp(share, 0.0, 1.0) * static_cast<double>(last);
    ChartColumn& column = chart.columns[std::min(static_cast<std::size_t>(position), last)];
    if (!sample.Answered()) {
      ++column.failures;
      ++chart.failures;
      continue;
    }
    const double latency = sample.RoundTripMs();
    const double y = yOf(latency);
    if (latency > scale.topMs) column.aboveTop = true;
    if (!column.answered) {
      column.answered = true;
      column.firstY = column.lowY = column.highY = y;
    }
    column.lastY = y;
    column.lowY = std::max(column.lowY, y);
    column.highY = std::min(column.highY, y);
  }

  const auto timeAt = [&](std::int64_t ms) {
    return TimeOfDayText(std::chrono::system_clock::time_point(std::chrono::milliseconds(ms)));
  };
  chart.startTime = timeAt(start);
  chart.middleTime = timeAt(start + span / 2);
  chart.endTime = timeAt(start + span);
  chart.failureLegend = "失败 " + std::to_string(chart.failures) + " 次";
  return chart;
}

}  // namespace qnc
