// The main window with a real notification area: an X server of its own
// (Xvfb) with a tray host (trayer) on it. Skips where either is missing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <chrono>
#include <string>

#include "app/main_window.h"
#include "app_test_support.h"
#include "desktop_processes.h"
#include "web/web_engine_setup.h"

// Mesa's GLX driver, which a real display brings in, leaves an allocation of
// a driver module that it unloads again; only a full stack names the driver
// for the leak suppressions.
extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
  return "fast_unwind_on_malloc=0";
}

namespace qnc {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

TEST(TrayDesktop, TheIconAppearsOnCloseAndADoubleClickBringsTheWindowBack) {
  const std::string xvfb = "/usr/bin/Xvfb";
  const std::string trayer = "/usr/bin/trayer";
  if (!test::Executable(xvfb) || !test::Executable(trayer)) GTEST_SKIP() << "needs Xvfb and trayer";

  int display = 0;
  const auto server = test::StartXServer(xvfb, display);
  ASSERT_NE(server, nullptr) << "no X server could start";
  const std::string name = ":" + std::to_string(display);
  ChildProcess tray({trayer, "--edge", "bottom", "--align", "right", "--widthtype", "request", "--height", "32"},
                    {"DISPLAY=" + name});
  ASSERT_TRUE(tray.Started());

  // The window on that display, with Qt's own X11 tray support (no desktop bus).
  qputenv("DISPLAY", QByteArray::fromStdString(name));
  qputenv("QT_QPA_PLATFORM", "xcb");
  qunsetenv("DBUS_SESSION_BUS_ADDRESS");
  QTemporaryDir folder;
  {
    static int argc = 1;
    static char programName[] = "qnc_app_tray_desktop_test";
    static char* argv[] = {programName, nullptr};
    PrepareWebEngineBeforeApplication();
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    ASSERT_TRUE(test::WaitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 15s))
        << "trayer did not take the notification area";

    CQUORIX_NET_CHECKDlg window(test::StillOptions(folder, ""));
    window.show();
    ASSERT_TRUE(test::WaitUntil([&] { return window.isVisible(); }));

    window.close();
    ASSERT_NE(window.NotificationIcon(), nullptr);
    QSystemTrayIcon& icon = *window.NotificationIcon();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(icon.isVisible());
    // Embedded in the tray, which sits on the bottom edge, the icon has its
    // place there.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_TRUE(test::WaitUntil(
        [&] { return !icon.geometry().isEmpty() && icon.geometry().center().y() > screen.center().y(); }, 10s))
        << "the icon never showed in the tray";

    // A click on the tray cannot be made from here; the icon's own signals
    // carry the clicks. An X11 tray reports the first click of a double
    // click on its own, so a single click leaves the window in the tray.
    emit icon.activated(QSystemTrayIcon::Trigger);
    QApplication::processEvents();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(icon.isVisible());
    emit icon.activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(test::WaitUntil([&] { return window.isVisible() && !icon.isVisible(); }, 5s));
    EXPECT_TRUE(test::WaitUntil([&] { return icon.geometry().isEmpty(); }, 5s)) << "the icon stayed in the tray";
  }
  // The application has let go of the display before the server ends.
}

}  // namespace
}  // namespace qnc
