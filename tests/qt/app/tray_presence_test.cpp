// A window's place in the notification area, on a plain window, with the
// kind of tray given by the test.
#include "qt/app/tray_presence.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "app_test_support.h"

namespace qnc {
namespace {

// Which icon event brings the window back depends on the tray: an X11 tray
// reports a double click (and its first click on its own, which must not
// restore, or a double click would be taken for two restores); a D-Bus tray
// reports one activation per click and no double click at all.
TEST(TrayPresence, AClickRestoresOnlyWhereTheTrayKnowsNoDoubleClick) {
  test::App();
  struct Case {
    const char* tray;
    bool clickIsTheActivation;
  };
  for (const Case c : {Case{"X11 tray", false}, Case{"D-Bus tray", true}}) {
    SCOPED_TRACE(c.tray);
    QWidget window;
    window.show();
    int saves = 0;
    TrayPresence tray(window, {.trayAvailable = [] { return true; },
                               .clickIsTheActivation = [&c] { return c.clickIsTheActivation; },
                               .saveTables = [&saves] { ++saves; },
                               .endProgram = {}});
    tray.CloseWindow();
    ASSERT_NE(tray.Icon(), nullptr);
    ASSERT_FALSE(window.isVisible());

    emit tray.Icon()->activated(QSystemTrayIcon::MiddleClick);
    EXPECT_FALSE(window.isVisible()) << "a middle click does nothing";
    emit tray.Icon()->activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(window.isVisible(), c.clickIsTheActivation);
    EXPECT_EQ(tray.Icon()->isVisible(), !c.clickIsTheActivation);

    // A double click restores in every tray that reports one.
    tray.CloseWindow();
    emit tray.Icon()->activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(tray.Icon()->isVisible());
    EXPECT_EQ(saves, 0) << "only a right click saves";
  }
}

}  // namespace
}  // namespace qnc
