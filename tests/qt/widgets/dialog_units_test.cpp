// Dialog units in pixels, and the template font.
#include "qt/widgets/dialog_units.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFontMetrics>

namespace qnc {
namespace {

TEST(DialogUnitsTest, ScalesByAQuarterCharacterAndAnEighthLineRoundingToNearest) {
  const DialogUnits units(6, 13);
  EXPECT_EQ(units.X(4), 6);
  EXPECT_EQ(units.X(1), 2);  // 1.5 rounds up
  EXPECT_EQ(units.X(495), 743);
  EXPECT_EQ(units.Y(8), 13);
  EXPECT_EQ(units.Y(3), 5);    // 4.875
  EXPECT_EQ(units.Y(1), 2);    // 1.625
  EXPECT_EQ(units.X(-1), -2);  // halves away from zero
  EXPECT_EQ(units.ToPixels(DuRect{7, 7, 481, 101}), QRect(11, 11, 722, 164));
  EXPECT_EQ(units.ToPixels(495, 397), QSize(743, 645));
  // A font without metrics still gives a unit of one pixel, never zero.
  const DialogUnits degenerate(0, -3);
  EXPECT_EQ(degenerate.AverageCharWidth(), 1);
  EXPECT_EQ(degenerate.LineHeight(), 1);
}

TEST(DialogUnitsTest, TheTemplateFontRendersChineseText) {
  for (const int pointSize : {8, 9}) {
    const QFont font = DialogFont(FontTemplate{.pointSize = pointSize});
    EXPECT_EQ(font.pointSize(), pointSize);
    const QFontMetrics metrics(font);
    EXPECT_TRUE(metrics.inFont(QChar(0x8DEF))) << QFontInfo(font).family().toStdString();  // 路
    const DialogUnits units = DialogUnits::ForFont(font);
    EXPECT_GT(units.AverageCharWidth(), 2);
    EXPECT_GT(units.LineHeight(), 8);
  }
  // The larger font has the larger units.
  const DialogUnits small = DialogUnits::ForFont(DialogFont(FontTemplate{.pointSize = 8}));
  const DialogUnits large = DialogUnits::ForFont(DialogFont(FontTemplate{.pointSize = 9}));
  EXPECT_LE(small.AverageCharWidth(), large.AverageCharWidth());
  EXPECT_LT(small.LineHeight(), large.LineHeight());
}

}  // namespace
}  // namespace qnc
