#pragma once
#include <QFont>
#include <QRect>
#include <QSize>

#include "views/templates/dialog_template.h"

namespace qnc {

// The font of a template window: its face at its size, falling back to a CJK
// sans font where that face is missing ("MS Shell Dlg" is a Windows alias), so
// the Chinese texts render and the layout keeps its proportions.
QFont DialogFont(const FontTemplate& font);

// Turns dialog units into pixels from a font's metrics: a horizontal unit is a
// quarter of the font's average character width, a vertical unit an eighth of
// its line height, each rounded to the nearest pixel.
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
