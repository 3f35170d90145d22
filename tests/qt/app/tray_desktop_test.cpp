// The main window with a real notification area: an X server of its own
// (Xvfb) with a tray host (trayer) on it. Skips where either is missing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app_test_support.h"
#include "desktop_processes.h"
#include "qt/app/main_window.h"

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

constexpr const char* kXvfb = "/usr/bin/Xvfb";
constexpr const char* kTrayer = "/usr/bin/trayer";
constexpr const char* kOpenbox = "/usr/bin/openbox";
constexpr const char* kXdotool = "/usr/bin/xdotool";

// A desktop of the test's own: an X server, a window manager when asked for,
// a tray host on the bottom edge, and the application on that display with
// Qt's own X11 tray support (no desktop bus). Everything ends in reverse
// order, the application first, so that it lets go of the display before the
// server ends.
class TrayDesktop {
 public:
  TrayDesktop(const std::string& screen, bool withManager) {
    server_ = test::StartXServer(kXvfb, display_, screen);
    if (server_ == nullptr) return;
    name_ = ":" + std::to_string(display_);
    if (withManager) {
      manager_ = std::make_unique<ChildProcess>(std::vector<std::string>{kOpenbox},
                                                std::vector<std::string>{"DISPLAY=" + name_});
      if (!manager_->Started()) return;
    }
    tray_ = std::make_unique<ChildProcess>(std::vector<std::string>{kTrayer, "--edge", "bottom", "--align", "right",
                                                                    "--widthtype", "request", "--height", "32"},
                                           std::vector<std::string>{"DISPLAY=" + name_});
    if (!tray_->Started()) return;
    qputenv("DISPLAY", QByteArray::fromStdString(name_));
    qputenv("QT_QPA_PLATFORM", "xcb");
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    static int argc = 1;
    static char programName[] = "qnc_app_tray_desktop_test";
    static char* argv[] = {programName, nullptr};
    application_ = std::make_unique<QApplication>(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
  }
  TrayDesktop(const TrayDesktop&) = delete;
  TrayDesktop& operator=(const TrayDesktop&) = delete;

  // The programs a desktop needs that this machine lacks, or "" when it has them all.
  static std::string Missing(bool withManager) {
    std::vector<std::string> needed{kXvfb, kTrayer};
    if (withManager) needed.insert(needed.end(), {kOpenbox, kXdotool});
    std::string missing;
    for (const std::string& program : needed) {
      if (!test::Executable(program)) missing += (missing.empty() ? "" : ", ") + program;
    }
    return missing;
  }
  // Every process runs and the application is made.
  bool Started() const { return application_ != nullptr; }
  // Waits until the tray host has taken the notification area.
  static bool TrayTaken() {
    return test::WaitUntil([] { return QSystemTrayIcon::isSystemTrayAvailable(); }, 15s);
  }
  const std::string& DisplayName() const { return name_; }
  QTemporaryDir& Folder() { return folder_; }

 private:
  int display_ = 0;
  std::string name_;
  std::unique_ptr<ChildProcess> server_;
  std::unique_ptr<ChildProcess> manager_;
  std::unique_ptr<ChildProcess> tray_;
  QTemporaryDir folder_;
  std::unique_ptr<QApplication> application_;
};

TEST(TrayDesktop, TheIconAppearsOnCloseAndADoubleClickBringsTheWindowBack) {
  if (const std::string missing = TrayDesktop::Missing(false); !missing.empty()) GTEST_SKIP() << "needs " << missing;
  TrayDesktop desktop("800x600x24", false);
  ASSERT_TRUE(desktop.Started()) << "the X server or the tray host could not start";
  {
    ASSERT_TRUE(TrayDesktop::TrayTaken()) << "trayer did not take the notification area";

    CQUORIX_NET_CHECKDlg window(test::StillOptions(desktop.Folder(), ""));
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
}

// What xdotool prints for a query of the display (a window id), 0 when it fails.
unsigned long long XdotoolWindow(const std::string& display, const std::string& xdotool, const std::string& query) {
  const std::string command = "DISPLAY=" + display + " " + xdotool + " " + query + " 2>/dev/null";
  FILE* output = popen(command.c_str(), "r");
  if (output == nullptr) return 0;
  unsigned long long id = 0;
  if (std::fscanf(output, "%llu", &id) != 1) id = 0;
  pclose(output);
  return id;
}
unsigned long long ActiveWindowOf(const std::string& display, const std::string& xdotool) {
  return XdotoolWindow(display, xdotool, "getactivewindow");
}
unsigned long long FocusWindowOf(const std::string& display, const std::string& xdotool) {
  return XdotoolWindow(display, xdotool, "getwindowfocus");
}

// Under a real window manager, which frames the window and may move it when
// it is mapped again, closing into the tray and restoring from it brings the
// window back normal, active and exactly where it was, cycle after cycle.
TEST(TrayDesktop, UnderAWindowManagerTheWindowComesBackWhereItWas) {
  if (const std::string missing = TrayDesktop::Missing(true); !missing.empty()) GTEST_SKIP() << "needs " << missing;
  // A common laptop screen, on which the whole framed window fits.
  TrayDesktop desktop("1366x768x24", true);
  ASSERT_TRUE(desktop.Started()) << "the X server, the window manager or the tray host could not start";
  const std::string& name = desktop.DisplayName();
  const std::string xdotool = kXdotool;
  {
    ASSERT_TRUE(TrayDesktop::TrayTaken()) << "trayer did not take the notification area";

    CQUORIX_NET_CHECKDlg window(test::StillOptions(desktop.Folder(), ""));
    window.show();
    ASSERT_TRUE(test::WaitUntil([&] { return window.isVisible() && window.isActiveWindow(); }, 10s))
        << "the window manager never made the window active";
    // Let the manager finish framing and placing it before taking its place.
    QPoint placed = window.pos();
    test::WaitUntil(
        [&] {
          const QPoint now = window.pos();
          const bool settled = now == placed;
          placed = now;
          return settled && window.frameGeometry() != window.geometry();
        },
        2s);
    placed = window.pos();
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QRect frame = window.frameGeometry();
    EXPECT_TRUE(area.contains(frame)) << "the frame " << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                      << frame.height() << " is not wholly inside " << area.x() << "," << area.y()
                                      << " " << area.width() << "x" << area.height();

    for (int cycle = 1; cycle <= 3; ++cycle) {
      SCOPED_TRACE(cycle);
      window.close();
      ASSERT_TRUE(test::WaitUntil([&] { return !window.isVisible(); }, 5s));
      ASSERT_NE(window.NotificationIcon(), nullptr);
      const QSystemTrayIcon& icon = *window.NotificationIcon();
      ASSERT_TRUE(test::WaitUntil([&] { return !icon.geometry().isEmpty(); }, 10s)) << "the icon never showed";
      // A real double click on the icon, so that the window manager sees the
      // user's own request (and its time) as the reason for the activation.
      // The tray holds only this icon: its middle is the icon's.
      ChildProcess click({xdotool, "search", "--sync", "--onlyvisible", "--limit", "1", "--class", "trayer",
                          "mousemove", "--window", "%1", "16", "16", "click", "--repeat", "2", "--delay", "60", "1"},
                         {"DISPLAY=" + name});
      ASSERT_TRUE(click.Started());
      // Active as the window manager and the X server see it: the manager's
      // active window and the keyboard focus. (Qt's own flag can lag behind
      // the focus change when the window was hidden in between.)
      EXPECT_TRUE(test::WaitUntil(
          [&] {
            return window.isVisible() && ActiveWindowOf(name, xdotool) == window.winId() &&
                   FocusWindowOf(name, xdotool) == window.winId();
          },
          5s))
          << "the window came back " << (window.isVisible() ? "visible" : "hidden") << ", "
          << (window.isMinimized() ? "minimised" : "not minimised") << ", not active";
      EXPECT_FALSE(window.isMinimized());
      // The manager may apply its frame after mapping: give it the time to settle.
      EXPECT_TRUE(test::WaitUntil([&] { return window.pos() == placed; }, 2s))
          << "came back at " << window.pos().x() << "," << window.pos().y() << " instead of " << placed.x() << ","
          << placed.y();
    }
  }
}

}  // namespace
}  // namespace qnc
