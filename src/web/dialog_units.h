#pragma once
#include <QFont>
#include <QRect>
#include <QSize>

namespace qnc::web {

// Window layouts are kept in dialog units of the window's font: a horizontal
// unit is a quarter of the font's average character width, a vertical unit an
// eighth of its line height. These turn them into pixels for that font.
QSize DialogUnitsToPixels(const QFont& font, QSize units);
QRect DialogUnitsToPixels(const QFont& font, QRect units);

}  // namespace qnc::web
