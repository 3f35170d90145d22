#pragma once
#include <QFontMetrics>
#include <QRect>
#include <QSize>

#include "lan_dialog/lan_dialog_template.h"

namespace qnc {

// Dialog units of a font in pixels: a horizontal unit is a quarter of the
// font's average character width, a vertical unit an eighth of its line
// height, so a layout keeps its proportions at any font size and DPI.
class LanDialogUnits {
 public:
  explicit LanDialogUnits(const QFontMetrics& metrics)
      : charWidth_(metrics.averageCharWidth()), lineHeight_(metrics.height()) {}
  int X(int units) const { return units * charWidth_ / 4; }
  int Y(int units) const { return units * lineHeight_ / 8; }
  QRect ToPixels(const DialogUnitRect& rect) const {
    return QRect(X(rect.x), Y(rect.y), X(rect.width), Y(rect.height));
  }
  QSize ToPixels(int width, int height) const { return QSize(X(width), Y(height)); }

 private:
  int charWidth_;
  int lineHeight_;
};

}  // namespace qnc
