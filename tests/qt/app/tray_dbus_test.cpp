// The main window on a desktop whose tray speaks D-Bus (StatusNotifierItem,
// as on KDE Plasma or GNOME with the AppIndicator extension): a message bus
// of the test's own, a stand-in tray watcher on it and an X server (Xvfb) for
// the window. Such a tray calls Activate on a click and knows no double
// click. Skips where Xvfb or dbus-daemon is missing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <chrono>
#include <optional>
#include <string>

#include "app_test_support.h"
#include "desktop_processes.h"
#include "qt/app/main_window.h"

extern "C" __attribute__((visibility("default"), used)) const char* __asan_default_options() {
  return "fast_unwind_on_malloc=0";
}

namespace qnc {
namespace {

using namespace std::chrono_literals;
using test::ChildProcess;

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

// A session bus that only this test uses, listening on a socket in `folder`.
std::unique_ptr<ChildProcess> StartPrivateBus(const QString& folder, std::string& address) {
  const QString socket = folder + QStringLiteral("/bus");
  QFile config(folder + QStringLiteral("/bus.conf"));
  if (!config.open(QIODevice::WriteOnly)) return nullptr;
  config.write(QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                              " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                              "<busconfig>\n"
                              "  <type>session</type>\n"
                              "  <listen>unix:path=%1</listen>\n"
                              "  <auth>EXTERNAL</auth>\n"
                              "  <policy context=\"default\">\n"
                              "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                              "    <allow eavesdrop=\"true\"/>\n"
                              "    <allow own=\"*\"/>\n"
                              "  </policy>\n"
                              "</busconfig>\n")
                   .arg(socket)
                   .toUtf8());
  config.close();
  auto bus = std::make_unique<ChildProcess>(
      std::vector<std::string>{"/usr/bin/dbus-daemon", "--nofork", "--config-file=" + config.fileName().toStdString()},
      std::vector<std::string>{});
  if (!bus->Started() || !test::WaitFor([&] { return test::Exists(socket.toStdString()) || bus->Exited(); }, 10s) ||
      bus->Exited()) {
    return nullptr;
  }
  address = "unix:path=" + socket.toStdString();
  return bus;
}

// A property of the stand-in watcher (another process, so a blocking call is safe).
QVariant WatcherProperty(const char* name) {
  QDBusMessage get =
      QDBusMessage::createMethodCall(kWatcher, QStringLiteral("/StatusNotifierWatcher"),
                                     QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  get << kWatcher << QString::fromLatin1(name);
  const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 2000);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return {};
  return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant();
}

// Clicks the newest registered item as the tray would: `method` (Activate or
// ContextMenu) at a screen position. The item lives in this process, whose
// thread must stay free to serve it, so nothing waits for the reply here.
bool ClickNewestItem(const QString& method) {
  const QStringList items = WatcherProperty("RegisteredStatusNotifierItems").toStringList();
  if (items.isEmpty()) return false;
  const QString& item = items.constLast();
  const qsizetype slash = item.indexOf(QLatin1Char('/'));
  if (slash <= 0) return false;
  QDBusMessage click = QDBusMessage::createMethodCall(item.left(slash), item.mid(slash),
                                                      QStringLiteral("org.kde.StatusNotifierItem"), method);
  click << 700 << 580;
  const QDBusPendingCall pending = QDBusConnection::sessionBus().asyncCall(click);
  return !pending.isError();
}

TEST(TrayDbus, AClickOnTheIconBringsTheWindowBackAndARightClickOffersTheMenu) {
  const std::string xvfb = "/usr/bin/Xvfb";
  if (!test::Executable(xvfb) || !test::Executable("/usr/bin/dbus-daemon")) {
    GTEST_SKIP() << "needs Xvfb and dbus-daemon";
  }
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  std::string busAddress;
  // Declared first, ended last: the bus outlives everything on it.
  const auto bus = StartPrivateBus(folder.path(), busAddress);
  ASSERT_NE(bus, nullptr) << "no private message bus could start";
  ChildProcess watcher({QNC_STATUS_NOTIFIER_WATCHER}, {"DBUS_SESSION_BUS_ADDRESS=" + busAddress});
  ASSERT_TRUE(watcher.Started());
  int display = 0;
  const auto server = test::StartXServer(xvfb, display);
  ASSERT_NE(server, nullptr) << "no X server could start";

  qputenv("DISPLAY", QByteArray::fromStdString(":" + std::to_string(display)));
  qputenv("QT_QPA_PLATFORM", "xcb");
  qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray::fromStdString(busAddress));
  qunsetenv("QT_QPA_PLATFORMTHEME");
  {
    static int argc = 1;
    static char programName[] = "qnc_app_tray_dbus_test";
    static char* argv[] = {programName, nullptr};
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    // Qt settles on the kind of tray icon once, so the watcher must be there first.
    ASSERT_TRUE(test::WaitUntil(
        [] { return QDBusConnection::sessionBus().interface()->isServiceRegistered(kWatcher).value(); }, 10s))
        << "the stand-in watcher never took its name";
    ASSERT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());

    MainWindowOptions options = test::StillOptions(folder, "");
    int menus = 0;
    CQUORIX_NET_CHECKDlg window(options);
    window.show();
    ASSERT_TRUE(test::WaitUntil([&] { return window.isVisible(); }));

    int registrations = 0;
    const auto closeIntoTheTray = [&] {
      window.close();
      ASSERT_NE(window.NotificationIcon(), nullptr);
      EXPECT_FALSE(window.isVisible());
      ASSERT_TRUE(window.NotificationIcon()->isVisible());
      ASSERT_TRUE(test::WaitUntil([&] { return WatcherProperty("Registrations").toInt() > registrations; }, 10s))
          << "the icon never registered with the tray";
      registrations = WatcherProperty("Registrations").toInt();
    };

    for (int round = 1; round <= 2; ++round) {
      SCOPED_TRACE(round);
      closeIntoTheTray();
      if (HasFatalFailure()) return;

      // The right click still saves and offers the menu; dismissed, the
      // window stays in the tray.
      test::OnNextMenu(
          [&menus](QMenu&) -> QAction* {
            ++menus;
            return nullptr;
          },
          10s);
      ASSERT_TRUE(ClickNewestItem(QStringLiteral("ContextMenu")));
      EXPECT_TRUE(test::WaitUntil([&] { return menus == round; }, 10s));
      EXPECT_FALSE(window.isVisible());

      ASSERT_TRUE(ClickNewestItem(QStringLiteral("Activate")));
      EXPECT_TRUE(test::WaitUntil([&] { return window.isVisible() && !window.isMinimized(); }, 10s))
          << "the window did not come back";
      EXPECT_FALSE(window.NotificationIcon()->isVisible());
    }
  }
  // The application has let go of the bus and the display before they end.
}

}  // namespace
}  // namespace qnc
