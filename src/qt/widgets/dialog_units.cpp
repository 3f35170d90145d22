#include "qt/widgets/dialog_units.h"

#include <QFontMetrics>
#include <QStringList>

namespace qnc {

QFont DialogFont(const FontTemplate& font) {
  QFont result;
  result.setFamilies({QString::fromUtf8(font.face), QStringLiteral("WenQuanYi Micro Hei"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Sans Serif")});
  result.setPointSize(font.pointSize);
  return result;
}

namespace {

// Multiplies and divides with rounding to the nearest integer, halves away
// from zero, the way dialog unit conversions have always rounded.
int ScaleRounded(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : -((-product + half) / denominator));
}

}  // namespace

DialogUnits::DialogUnits(int averageCharWidth, int lineHeight)
    : baseX_(averageCharWidth > 0 ? averageCharWidth : 1), baseY_(lineHeight > 0 ? lineHeight : 1) {}

DialogUnits DialogUnits::ForFont(const QFont& font) {
  // The average width is taken over the Latin letters rather than from the
  // font's own average, which in a CJK font counts the wide ideographs.
  static const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const QFontMetrics metrics(font);
  const int lettersWidth = metrics.horizontalAdvance(kLetters);
  return DialogUnits((lettersWidth / 26 + 1) / 2, metrics.height());
}

int DialogUnits::X(int du) const { return ScaleRounded(du, baseX_, 4); }

int DialogUnits::Y(int du) const { return ScaleRounded(du, baseY_, 8); }

QRect DialogUnits::ToPixels(const DuRect& rect) const {
  return QRect(X(rect.x), Y(rect.y), X(rect.width), Y(rect.height));
}

QSize DialogUnits::ToPixels(int widthDu, int heightDu) const { return QSize(X(widthDu), Y(heightDu)); }

}  // namespace qnc
