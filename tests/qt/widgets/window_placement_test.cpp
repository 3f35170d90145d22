// Where a template window without a parent opens: centred in its screen's
// free area, wholly inside it, and never with the caption bar above it.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <cstdlib>

#include "qt/widgets/template_dialog.h"
#include "qt/widgets/window_frame.h"
#include "views/templates/window_templates.h"

namespace qnc {
namespace {

QScreen* ScreenNamed(const QString& name) {
  for (QScreen* screen : QGuiApplication::screens()) {
    if (screen->name() == name) return screen;
  }
  return nullptr;
}

class WindowPlacementTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wide_ = ScreenNamed(QStringLiteral("wide"));
    small_ = ScreenNamed(QStringLiteral("small"));
    ASSERT_NE(wide_, nullptr) << "runs on the two screens of two_screens.json";
    ASSERT_NE(small_, nullptr);
  }
  QScreen* wide_ = nullptr;
  QScreen* small_ = nullptr;
};

TEST_F(WindowPlacementTest, TheMainWindowOpensCentredAndWhollyOnA1024x768Screen) {
  TemplateDialog window(MainDialogTemplate(), nullptr);
  window.setScreen(wide_);
  for (int opening = 0; opening < 2; ++opening) {  // again after it was hidden (the tray)
    SCOPED_TRACE(opening);
    window.show();
    const QRect frame = window.frameGeometry();
    const QRect area = wide_->availableGeometry();
    EXPECT_TRUE(area.contains(frame)) << frame.x() << "," << frame.y() << " " << frame.width() << "x" << frame.height();
    // Centred, give or take the frame the window system draws.
    EXPECT_LE(std::abs(frame.center().x() - area.center().x()), kTypicalFrame.left() + 1);
    EXPECT_LE(std::abs(frame.center().y() - area.center().y()), kTypicalFrame.top());
    window.hide();
  }
}

TEST_F(WindowPlacementTest, OnATooSmallScreenTheCaptionBarStaysOnScreen) {
  TemplateDialog window(MainDialogTemplate(), nullptr);
  window.setScreen(small_);
  window.show();
  const QRect area = small_->availableGeometry();
  ASSERT_GT(window.frameGeometry().height(), area.height()) << "the window is taller than this screen";
  EXPECT_EQ(window.frameGeometry().topLeft(), area.topLeft());
}

TEST_F(WindowPlacementTest, AWindowWithAParentIsLeftToQDialogOverItsParent) {
  TemplateDialog owner(MainDialogTemplate(), nullptr);
  owner.setScreen(wide_);
  owner.show();
  TemplateDialog box(AddHostDialogTemplate(), &owner);
  box.show();
  EXPECT_LE(std::abs(box.frameGeometry().center().x() - owner.frameGeometry().center().x()), 10);
  EXPECT_TRUE(owner.frameGeometry().contains(box.frameGeometry()));
}

}  // namespace
}  // namespace qnc
