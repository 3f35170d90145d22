#pragma once
#include <QFont>
#include <QRect>
#include <QSize>

#include "app/dialog_template.h"

namespace qnc {

// The font of a template window: "MS Shell Dlg" at the given size, falling
// back to a CJK sans font where that family is missing, so the Chinese texts
// render and the layout keeps its proportions.
QFont DialogFont(int pointSize);

// Turns dialog units into pixels from a font's metrics: a horizontal unit is a
// quarter of the font's average character width, a vertical unit an eighth of
// its line height.
class DialogUnits {
 public:
  DialogUnits(int averageCharWidth, int lineHeight);
  static DialogUnits ForFont(const QFont& font);

  int AverageCharWidth() const { return baseX_; }
  int LineHeight() const { return baseY_; }
  int X(int du) const;
  int Y(int du) const;
  QRect ToPixels(const DuRect& rect) const;
  QSize ToPixels(int widthDu, int heightDu) const;

 private:
  int baseX_;
  int baseY_;
};

}  // namespace qnc
