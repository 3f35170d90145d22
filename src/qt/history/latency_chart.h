#pragma once
#include <QSize>
#include <QWidget>

namespace qnc {

class RowDetailsModel;

// Paints the latency chart of a row's details model (core/history's
// LatencyChartData): a line through each pixel column's first, lowest, highest
// and last latency, failures as red marks along the bottom, spikes above a
// capped scale as orange marks at the top edge, the scale on the left, the
// time of day below and the legend above.
class LatencyChart final : public QWidget {
  Q_OBJECT

 public:
  // `model` must outlive the chart.
  explicit LatencyChart(const RowDetailsModel& model, QWidget* parent = nullptr);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  const RowDetailsModel& model_;
};

}  // namespace qnc
