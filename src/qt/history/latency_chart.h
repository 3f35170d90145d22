#pragma once
#include <QString>
#include <QWidget>
#include <cstdint>
#include <deque>
#include <optional>

#include "qt/history/chart_scale.h"

namespace qnc {

// One probe on the chart: when it ended (milliseconds since the epoch) and
// its latency, or nothing for a failure.
struct ChartPoint {
  std::int64_t timeMs = 0;
  std::optional<double> latencyMs;
};

// Latency over time of one row: a line through the answered probes, failures
// as red marks along the bottom, a millisecond scale on the left (see
// history_ui/chart_scale.h; spikes above a capped scale are marked at its top
// edge) and the time of day below. It keeps at most `capacity` points, dropping the oldest, and
// draws each pixel column once (its lowest and highest latency), so that
// thousands of points paint as fast as a few hundred.
class LatencyChart final : public QWidget {
  Q_OBJECT

 public:
  explicit LatencyChart(std::size_t capacity, QWidget* parent = nullptr);

  // Points in time order, after those already shown.
  template <typename Range>
  void Append(const Range& points) {
    for (const ChartPoint& point : points) points_.push_back(point);
    Trim();
    Rescale();
  }
  void Clear();

  const std::deque<ChartPoint>& Points() const { return points_; }
  // The scale the chart is drawn on.
  const LatencyScale& Scale() const { return scale_; }

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void Trim();
  void Rescale();

  const std::size_t capacity_;
  std::deque<ChartPoint> points_;
  LatencyScale scale_;
};

}  // namespace qnc
