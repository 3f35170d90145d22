#include "qt/history/latency_chart.h"

#include <QDateTime>
#include <QPainter>
#include <QPolygonF>
#include <QVector>
#include <algorithm>
#include <cmath>
#include <vector>

namespace qnc {

namespace {

const QColor kLineColor(31, 119, 180);
const QColor kFailureColor(214, 39, 40);
const QColor kAboveTopColor(230, 120, 0);

// What one pixel column of the plot holds.
struct Column {
  bool answered = false;
  double first = 0;
  double last = 0;
  double low = 0;
  double high = 0;
  bool failed = false;
  bool aboveTop = false;
};

QString TimeOfDay(std::int64_t timeMs) {
  return QDateTime::fromMSecsSinceEpoch(timeMs).toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace

LatencyChart::LatencyChart(std::size_t capacity, QWidget* parent)
    : QWidget(parent), capacity_(capacity), scale_(ComputeLatencyScale({})) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void LatencyChart::Clear() {
  points_.clear();
  Rescale();
}

void LatencyChart::Rescale() {
  std::vector<double> latencies;
  latencies.reserve(points_.size());
  for (const ChartPoint& point : points_) {
    if (point.latencyMs) latencies.push_back(*point.latencyMs);
  }
  scale_ = ComputeLatencyScale(latencies);
  update();
}

void LatencyChart::Trim() {
  while (points_.size() > capacity_) points_.pop_front();
}

QSize LatencyChart::sizeHint() const { return {640, 260}; }

QSize LatencyChart::minimumSizeHint() const { return {320, 160}; }

void LatencyChart::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  const QFontMetrics metrics = fontMetrics();
  const double top = scale_.topMs;
  // The figures of the scale set the room on the left, however long they are.
  QStringList labels;
  int labelWidth = 0;
  for (const std::string& label : scale_.lineLabels) {
    labels.append(QString::fromStdString(label));
    labelWidth = std::max(labelWidth, metrics.horizontalAdvance(labels.back()));
  }
  const QRect plot = rect().adjusted(labelWidth + 12, metrics.height() + 6, -12, -(metrics.height() + 8));
  if (plot.width() < 10 || plot.height() < 10) return;

  // Scale lines and their figures.
  for (std::size_t line = 0; line < scale_.lineValuesMs.size(); ++line) {
    const int y = plot.bottom() - static_cast<int>(std::lround(scale_.lineValuesMs[line] / top * plot.height()));
    painter.setPen(QColor(225, 225, 225));
    painter.drawLine(plot.left(), y, plot.right(), y);
    painter.setPen(palette().text().color());
    painter.drawText(QRect(0, y - metrics.height() / 2, plot.left() - 6, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, labels[static_cast<qsizetype>(line)]);
  }
  painter.setPen(palette().mid().color());
  painter.drawRect(plot);

  if (points_.empty()) {
    painter.setPen(palette().text().color());
    painter.drawText(plot, Qt::AlignCenter, QStringLiteral("还没有测量数据"));
    return;
  }

  // Each point falls into one pixel column by its time.
  const std::int64_t start = points_.front().timeMs;
  const std::int64_t span = std::max<std::int64_t>(points_.back().timeMs - start, 1000);
  std::vector<Column> columns(static_cast<std::size_t>(plot.width()));
  std::size_t failures = 0;
  for (const ChartPoint& point : points_) {
    const double share = static_cast<double>(point.timeMs - start) / static_cast<double>(span);
    const auto at = std::clamp<std::size_t>(static_cast<std::size_t>(share * static_cast<double>(columns.size() - 1)),
                                            0, columns.size() - 1);
    Column& column = columns[at];
    if (!point.latencyMs) {
      column.failed = true;
      ++failures;
      continue;
    }
    const double latency = *point.latencyMs;
    if (latency > top) column.aboveTop = true;
    if (!column.answered) {
      column.answered = true;
      column.first = column.low = column.high = latency;
    }
    column.last = latency;
    column.low = std::min(column.low, latency);
    column.high = std::max(column.high, latency);
  }

  const auto yOf = [&](double latency) { return plot.bottom() - std::min(latency, top) / top * plot.height(); };
  const int markHeight = std::max(4, metrics.height() / 3);
  // Each kind of mark is drawn in one call with one pen: switching the pen
  // for every column costs more than all the drawing. The line is one
  // polyline with a thin cosmetic pen, which Qt draws with its fast line
  // stroker (a wide or antialiased pen would be outlined and filled as a
  // whole, far slower for thousands of segments).
  QPolygonF line;
  line.reserve(static_cast<qsizetype>(columns.size()) * 4);
  QVector<QLineF> failureLines;
  QVector<QRectF> failureMarks;
  QVector<QRectF> aboveTopMarks;
  for (std::size_t at = 0; at < columns.size(); ++at) {
    const Column& column = columns[at];
    const double x = plot.left() + static_cast<double>(at);
    if (column.failed) {
      failureLines.append(QLineF(x, plot.top(), x, plot.bottom()));
      failureMarks.append(QRectF(x - 1, plot.bottom() - markHeight, 3, markHeight));
    }
    if (!column.answered) continue;
    if (column.aboveTop) aboveTopMarks.append(QRectF(x - 1, plot.top(), 3, markHeight));
    line << QPointF(x, yOf(column.first)) << QPointF(x, yOf(column.low)) << QPointF(x, yOf(column.high))
         << QPointF(x, yOf(column.last));
  }
  painter.setPen(QColor(kFailureColor.red(), kFailureColor.green(), kFailureColor.blue(), 50));
  painter.drawLines(failureLines);
  painter.setPen(Qt::NoPen);
  painter.setBrush(kFailureColor);
  painter.drawRects(failureMarks);
  painter.setBrush(kAboveTopColor);
  painter.drawRects(aboveTopMarks);
  painter.setBrush(Qt::NoBrush);
  QPen linePen(kLineColor, 1);
  linePen.setCosmetic(true);
  painter.setPen(linePen);
  painter.drawPolyline(line);

  // Time of day under the left end, the middle and the right end.
  painter.setPen(palette().text().color());
  const int labelTop = plot.bottom() + 4;
  const int timeWidth = metrics.horizontalAdvance(QStringLiteral("00:00:00")) + 4;
  painter.drawText(QRect(plot.left(), labelTop, timeWidth, metrics.height()), Qt::AlignLeft, TimeOfDay(start));
  painter.drawText(QRect(plot.center().x() - timeWidth / 2, labelTop, timeWidth, metrics.height()), Qt::AlignHCenter,
                   TimeOfDay(start + span / 2));
  painter.drawText(QRect(plot.right() - timeWidth, labelTop, timeWidth, metrics.height()), Qt::AlignRight,
                   TimeOfDay(start + span));

  // The legend above the plot's right end.
  const QString latencyText = QStringLiteral("延时");
  const QString failureText = QStringLiteral("失败 %1 次").arg(failures);
  const int legendY = plot.top() - metrics.height() - 2;
  int x = plot.right() - metrics.horizontalAdvance(failureText) - 14;
  painter.fillRect(QRect(x, legendY + metrics.height() / 2 - 4, 3, 8), kFailureColor);
  painter.drawText(QRect(x + 8, legendY, metrics.horizontalAdvance(failureText) + 4, metrics.height()), Qt::AlignLeft,
                   failureText);
  x -= metrics.horizontalAdvance(latencyText) + 36;
  painter.setPen(QPen(kLineColor, 2));
  painter.drawLine(x, legendY + metrics.height() / 2, x + 16, legendY + metrics.height() / 2);
  painter.setPen(palette().text().color());
  painter.drawText(QRect(x + 20, legendY, metrics.horizontalAdvance(latencyText) + 4, metrics.height()), Qt::AlignLeft,
                   latencyText);
  // Spikes above a capped scale: how many, and the highest, so that nothing
  // measured is hidden by the cap.
  if (scale_.capped) {
    const QString aboveText =
        QStringLiteral("超出刻度 %1 次，最高 %2")
            .arg(scale_.aboveTop)
            .arg(QString::fromStdString(ScaleLabel(scale_.highestMs, scale_.highestMs < 100 ? 0.1 : 1)));
    x -= metrics.horizontalAdvance(aboveText) + 22;
    painter.fillRect(QRect(x, legendY + metrics.height() / 2 - 4, 3, 8), kAboveTopColor);
    painter.drawText(QRect(x + 8, legendY, metrics.horizontalAdvance(aboveText) + 4, metrics.height()), Qt::AlignLeft,
                     aboveText);
  }
}

}  // namespace qnc
