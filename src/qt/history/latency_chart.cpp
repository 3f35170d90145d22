#include "qt/history/latency_chart.h"

#include <QPainter>
#include <QPolygonF>
#include <QVector>
#include <algorithm>
#include <cmath>

#include "core/history/row_details_model.h"

namespace qnc {

namespace {

const QColor kLineColor(31, 119, 180);
const QColor kFailureColor(214, 39, 40);
const QColor kAboveTopColor(230, 120, 0);
const QColor kScaleLineColor(225, 225, 225);

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

LatencyChart::LatencyChart(const RowDetailsModel& model, QWidget* parent) : QWidget(parent), model_(model) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void LatencyChart::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().base());
  const QFontMetrics metrics = fontMetrics();
  // The figures of the scale set the room on the left, however long they are.
  int labelWidth = 0;
  for (const std::string& label : model_.Scale().lineLabels) {
    labelWidth = std::max(labelWidth, metrics.horizontalAdvance(Text(label)));
  }
  const QRect plot = rect().adjusted(labelWidth + 12, metrics.height() + 6, -12, -(metrics.height() + 8));
  if (plot.width() < 10 || plot.height() < 10) return;
  const LatencyChartData chart = model_.Chart(plot.width(), plot.height());

  for (const ChartScaleLine& line : chart.scaleLines) {
    const int y = plot.top() + static_cast<int>(std::lround(line.y));
    painter.setPen(kScaleLineColor);
    painter.drawLine(plot.left(), y, plot.right(), y);
    painter.setPen(palette().text().color());
    painter.drawText(QRect(0, y - metrics.height() / 2, plot.left() - 6, metrics.height()),
                     Qt::AlignRight | Qt::AlignVCenter, Text(line.label));
  }
  painter.setPen(palette().mid().color());
  painter.drawRect(plot);

  if (chart.columns.empty()) {
    painter.setPen(palette().text().color());
    painter.drawText(plot, Qt::AlignCenter, Text(kChartNoDataText));
    return;
  }

  const int markHeight = std::max(4, metrics.height() / 3);
  // Each kind of mark is drawn in one call with one pen: switching the pen
  // for every column costs more than all the drawing. The line is one
  // polyline with a thin cosmetic pen, which Qt draws with its fast line
  // stroker (a wide or antialiased pen would be outlined and filled as a
  // whole, far slower for thousands of segments).
  QPolygonF line;
  line.reserve(static_cast<qsizetype>(chart.columns.size()) * 4);
  QVector<QLineF> failureLines;
  QVector<QRectF> failureMarks;
  QVector<QRectF> aboveTopMarks;
  const double top = plot.top();
  for (std::size_t at = 0; at < chart.columns.size(); ++at) {
    const ChartColumn& column = chart.columns[at];
    const double x = plot.left() + static_cast<double>(at);
    if (column.failures > 0) {
      failureLines.append(QLineF(x, plot.top(), x, plot.bottom()));
      failureMarks.append(QRectF(x - 1, plot.bottom() - markHeight, 3, markHeight));
    }
    if (!column.answered) continue;
    if (column.aboveTop) aboveTopMarks.append(QRectF(x - 1, plot.top(), 3, markHeight));
    line << QPointF(x, top + column.firstY) << QPointF(x, top + column.lowY) << QPointF(x, top + column.highY)
         << QPointF(x, top + column.lastY);
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
  painter.drawText(QRect(plot.left(), labelTop, timeWidth, metrics.height()), Qt::AlignLeft, Text(chart.startTime));
  painter.drawText(QRect(plot.center().x() - timeWidth / 2, labelTop, timeWidth, metrics.height()), Qt::AlignHCenter,
                   Text(chart.middleTime));
  painter.drawText(QRect(plot.right() - timeWidth, labelTop, timeWidth, metrics.height()), Qt::AlignRight,
                   Text(chart.endTime));

  // The legend above the plot's right end.
  const QString latencyText = Text(kChartLatencyLegend);
  const QString failureText = Text(chart.failureLegend);
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
  if (!chart.aboveTopLegend.empty()) {
    const QString aboveText = Text(chart.aboveTopLegend);
    x -= metrics.horizontalAdvance(aboveText) + 22;
    painter.fillRect(QRect(x, legendY + metrics.height() / 2 - 4, 3, 8), kAboveTopColor);
    painter.drawText(QRect(x + 8, legendY, metrics.horizontalAdvance(aboveText) + 4, metrics.height()), Qt::AlignLeft,
                     aboveText);
  }
}

}  // namespace qnc
