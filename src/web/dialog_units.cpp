#include "web/dialog_units.h"

#include <QFontMetrics>
#include <QString>
#include <algorithm>

namespace qnc::web {
namespace {

struct BaseUnits {
  int width;   // average character width in pixels
  int height;  // line height in pixels
};

BaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  // The average width over the Latin letters, rounded to the nearest pixel.
  static const QString kLetters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  const int width = (metrics.horizontalAdvance(kLetters) / 26 + 1) / 2;
  return {std::max(width, 1), std::max(metrics.height(), 1)};
}

// value * numerator / denominator, rounded to nearest.
int Scale(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator : (product - half) / denominator);
}

}  // namespace

QSize DialogUnitsToPixels(const QFont& font, QSize units) {
  const BaseUnits base = BaseUnitsOf(font);
  return {Scale(units.width(), base.width, 4), Scale(units.height(), base.height, 8)};
}

QRect DialogUnitsToPixels(const QFont& font, QRect units) {
  const BaseUnits base = BaseUnitsOf(font);
  return {Scale(units.x(), base.width, 4), Scale(units.y(), base.height, 8), Scale(units.width(), base.width, 4),
          Scale(units.height(), base.height, 8)};
}

}  // namespace qnc::web
