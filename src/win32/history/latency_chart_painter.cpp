#include "win32/history/latency_chart_painter.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>
#include <vector>

#include "core/history/row_details_model.h"
#include "win32/widgets/wide_text.h"

namespace qnc {

namespace {

constexpr COLORREF kLineColour = RGB(31, 119, 180);
constexpr COLORREF kFailureColour = RGB(214, 39, 40);
// The failure colour faded to a fifth over the white ground.
constexpr COLORREF kFailureLineColour = RGB(245, 215, 215);
constexpr COLORREF kAboveTopColour = RGB(230, 120, 0);
constexpr COLORREF kScaleLineColour = RGB(225, 225, 225);
constexpr COLORREF kFrameColour = RGB(160, 160, 160);

// A GDI object selected into a device context for one scope.
class Selected {
 public:
  Selected(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selected() { SelectObject(dc_, previous_); }
  Selected(const Selected&) = delete;
  Selected& operator=(const Selected&) = delete;

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

class Pen {
 public:
  Pen(COLORREF colour, int width) : pen_(CreatePen(PS_SOLID, width, colour)) {}
  ~Pen() { DeleteObject(pen_); }
  Pen(const Pen&) = delete;
  Pen& operator=(const Pen&) = delete;
  HPEN Handle() const { return pen_; }

 private:
  HPEN pen_;
};

int TextWidth(HDC dc, std::string_view text) {
  const std::wstring wide = Utf16(text);
  SIZE size{};
  GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
  return size.cx;
}

void DrawTextIn(HDC dc, std::string_view text, RECT box, UINT format) {
  std::wstring wide = Utf16(text);
  DrawTextW(dc, wide.data(), static_cast<int>(wide.size()), &box, format | DT_SINGLELINE | DT_NOPREFIX);
}

void FillBox(HDC dc, LONG left, LONG top, LONG width, LONG height, COLORREF colour) {
  const RECT box{left, top, left + width, top + height};
  SetBkColor(dc, colour);
  ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &box, nullptr, 0, nullptr);
}

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

void PaintLegend(HDC dc, const RECT& plot, int textHeight, const LatencyChartData& chart) {
  const int legendY = static_cast<int>(plot.top) - textHeight - 2;
  const int middle = legendY + textHeight / 2;
  const int failureWidth = TextWidth(dc, chart.failureLegend);
  int x = static_cast<int>(plot.right) - failureWidth - 14;
  FillBox(dc, x, middle - 4, 3, 8, kFailureColour);
  SetBkMode(dc, TRANSPARENT);
  DrawTextIn(dc, chart.failureLegend, {x + 8, legendY, x + 12 + failureWidth, legendY + textHeight}, DT_LEFT);
  x -= TextWidth(dc, kChartLatencyLegend) + 36;
  {
    const Pen pen(kLineColour, 2);
    const Selected selected(dc, pen.Handle());
    Line(dc, x, middle, x + 16, middle);
  }
  DrawTextIn(dc, kChartLatencyLegend,
             {x + 20, legendY, x + 24 + TextWidth(dc, kChartLatencyLegend), legendY + textHeight}, DT_LEFT);
  if (!chart.aboveTopLegend.empty()) {
    const int aboveWidth = TextWidth(dc, chart.aboveTopLegend);
    x -= aboveWidth + 22;
    FillBox(dc, x, middle - 4, 3, 8, kAboveTopColour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextIn(dc, chart.aboveTopLegend, {x + 8, legendY, x + 12 + aboveWidth, legendY + textHeight}, DT_LEFT);
  }
}

void PaintTimes(HDC dc, const RECT& plot, int textHeight, const LatencyChartData& chart) {
  const LONG top = plot.bottom + 4;
  const LONG width = TextWidth(dc, "00:00:00") + 4;
  const LONG centre = (plot.left + plot.right) / 2;
  DrawTextIn(dc, chart.startTime, {plot.left, top, plot.left + width, top + textHeight}, DT_LEFT);
  DrawTextIn(dc, chart.middleTime, {centre - width / 2, top, centre + width / 2, top + textHeight}, DT_CENTER);
  DrawTextIn(dc, chart.endTime, {plot.right - width, top, plot.right, top + textHeight}, DT_RIGHT);
}

void PaintColumns(HDC dc, const RECT& plot, int markHeight, const LatencyChartData& chart) {
  // Each kind of mark in one pass with one pen: the failures' faint lines
  // across the plot and their marks at the bottom, the marks of latencies
  // above the scale at the top, then the latency line as one polyline.
  std::vector<POINT> line;
  line.reserve(chart.columns.size() * 4);
  const auto y = [&](double offset) { return static_cast<LONG>(plot.top + std::lround(offset)); };
  {
    const Pen faint(kFailureLineColour, 1);
    const Selected selected(dc, faint.Handle());
    for (std::size_t at = 0; at < chart.columns.size(); ++at) {
      if (chart.columns[at].failures == 0) continue;
      const int x = static_cast<int>(plot.left) + static_cast<int>(at);
      Line(dc, x, static_cast<int>(plot.top) + 1, x, static_cast<int>(plot.bottom) - 1);
    }
  }
  for (std::size_t at = 0; at < chart.columns.size(); ++at) {
    const ChartColumn& column = chart.columns[at];
    const LONG x = plot.left + static_cast<LONG>(at);
    if (column.failures > 0) FillBox(dc, x - 1, plot.bottom - markHeight, 3, markHeight, kFailureColour);
    if (!column.answered) continue;
    if (column.aboveTop) FillBox(dc, x - 1, plot.top, 3, markHeight, kAboveTopColour);
    line.push_back({x, y(column.firstY)});
    line.push_back({x, y(column.lowY)});
    line.push_back({x, y(column.highY)});
    line.push_back({x, y(column.lastY)});
  }
  if (line.empty()) return;
  const Pen pen(kLineColour, 1);
  const Selected selected(dc, pen.Handle());
  Polyline(dc, line.data(), static_cast<int>(line.size()));
}

}  // namespace

void PaintLatencyChart(HDC dc, const RECT& area, HFONT font, const RowDetailsModel& model) {
  const Selected selectedFont(dc, font);
  FillBox(dc, area.left, area.top, area.right - area.left, area.bottom - area.top, GetSysColor(COLOR_WINDOW));
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  SetBkMode(dc, TRANSPARENT);
  TEXTMETRICW metrics{};
  GetTextMetricsW(dc, &metrics);
  const int textHeight = metrics.tmHeight;
  // The figures of the scale set the room on the left, however long they are.
  int labelWidth = 0;
  for (const std::string& label : model.Scale().lineLabels) labelWidth = std::max(labelWidth, TextWidth(dc, label));
  const RECT plot{area.left + labelWidth + 12, area.top + textHeight + 6, area.right - 12,
                  area.bottom - (textHeight + 8)};
  const int plotWidth = static_cast<int>(plot.right - plot.left);
  const int plotHeight = static_cast<int>(plot.bottom - plot.top);
  if (plotWidth < 10 || plotHeight < 10) return;
  const LatencyChartData chart = model.Chart(plotWidth, plotHeight);

  {
    const Pen pen(kScaleLineColour, 1);
    const Selected selected(dc, pen.Handle());
    for (const ChartScaleLine& scaleLine : chart.scaleLines) {
      const int y = static_cast<int>(plot.top + std::lround(scaleLine.y));
      Line(dc, static_cast<int>(plot.left), y, static_cast<int>(plot.right), y);
      DrawTextIn(dc, scaleLine.label, {area.left, y - textHeight / 2, plot.left - 6, y - textHeight / 2 + textHeight},
                 DT_RIGHT | DT_VCENTER);
    }
  }
  {
    const Pen frame(kFrameColour, 1);
    const Selected selectedPen(dc, frame.Handle());
    const Selected selectedBrush(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, plot.left, plot.top, plot.right + 1, plot.bottom + 1);
  }
  if (chart.columns.empty()) {
    DrawTextIn(dc, kChartNoDataText, plot, DT_CENTER | DT_VCENTER);
    return;
  }
  PaintColumns(dc, plot, std::max(4, textHeight / 3), chart);
  SetBkMode(dc, TRANSPARENT);
  PaintTimes(dc, plot, textHeight, chart);
  PaintLegend(dc, plot, textHeight, chart);
}

}  // namespace qnc
