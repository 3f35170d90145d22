// The page window's frame, font and size come from its template, in the same
// 8-point dialog font as the other small windows.
#include <gtest/gtest.h>

#include <QFontInfo>

#include "qt/web/web_page_window.h"
#include "qt/widgets/dialog_units.h"
#include "qt/widgets/template_dialog.h"
#include "views/templates/window_templates.h"

namespace qnc {
namespace {

TEST(ShowBubgDlgLayout, TemplateFontSizeAndFrame) {
  const WebPageWindow dialog;
  EXPECT_EQ(dialog.objectName(), QStringLiteral("138"));
  EXPECT_EQ(dialog.windowTitle(), QStringLiteral("PUBG"));
  EXPECT_EQ(dialog.windowType(), Qt::Dialog);
  EXPECT_TRUE(dialog.windowFlags().testFlag(Qt::WindowCloseButtonHint));
  EXPECT_FALSE(dialog.windowFlags().testFlag(Qt::WindowMinimizeButtonHint));

  const QFont templateFont = DialogFont(FontTemplate{.pointSize = 8});
  EXPECT_EQ(dialog.font().pointSize(), 8);
  EXPECT_EQ(QFontInfo(dialog.font()).family(), QFontInfo(templateFont).family());

  // The same dialog units as the input boxes, which use the same font.
  const TemplateDialog inputBox(AddHostDialogTemplate(), nullptr);
  EXPECT_EQ(dialog.Units().AverageCharWidth(), inputBox.Units().AverageCharWidth());
  EXPECT_EQ(dialog.Units().LineHeight(), inputBox.Units().LineHeight());
  const DialogUnits expected = DialogUnits::ForFont(templateFont);
  EXPECT_EQ(dialog.size(), expected.ToPixels(574, 426));
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  EXPECT_EQ(dialog.ControlRect(1010), expected.ToPixels(DuRect{0, 0, 573, 425}));
}

}  // namespace
}  // namespace qnc
