// Window flags of the template styles, and where a window goes on a screen.
#include "qt/widgets/window_frame.h"

#include <gtest/gtest.h>

#include "views/templates/dialog_template.h"

namespace qnc {
namespace {

TEST(WindowFrameTest, FlagsOfEachWindowStyle) {
  const Qt::WindowFlags frame =
      Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
  EXPECT_EQ(WindowFlagsFor(0), Qt::Dialog | frame);
  EXPECT_EQ(WindowFlagsFor(window_style::kTaskBarButton | window_style::kMinimizeBox | window_style::kMaximizeBox),
            Qt::Window | frame | Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint);
  EXPECT_EQ(WindowFlagsFor(window_style::kMinimizeBox), Qt::Dialog | frame | Qt::WindowMinimizeButtonHint);
}

TEST(WindowFrameTest, CentredThenMovedWhollyInsideTheFreeArea) {
  struct Case {
    const char* what;
    QRect available;
    QSize frame;
    QPoint expected;
  };
  const Case cases[] = {
      {"fits: centred", {0, 0, 1024, 768}, {870, 719}, {77, 24}},
      {"fits exactly", {0, 0, 870, 719}, {870, 719}, {0, 0}},
      {"free area below a top panel, odd sizes", {0, 30, 1025, 739}, {870, 719}, {77, 40}},
      {"second screen to the right", {1920, 0, 1024, 768}, {400, 300}, {2232, 234}},
      {"taller than the area: the caption bar stays on screen", {0, 28, 1024, 700}, {870, 750}, {77, 28}},
      {"wider and taller: the top-left corner stays", {100, 50, 640, 480}, {870, 750}, {100, 50}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const QPoint placed = PlacedOnScreen(c.available, c.frame);
    EXPECT_EQ(placed, c.expected);
    EXPECT_GE(placed.y(), c.available.top());
    EXPECT_GE(placed.x(), c.available.left());
  }
}

}  // namespace
}  // namespace qnc
