#include "qt/app/dbus_tray.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QGuiApplication>

namespace qnc {

namespace {

constexpr int kReplyLimitMs = 2000;

// The platforms whose desktop themes make D-Bus tray icons; others (such as
// offscreen) never do, whatever the bus says.
bool DesktopPlatform() {
  const QString platform = QGuiApplication::platformName();
  return platform == QLatin1String("xcb") || platform.startsWith(QLatin1String("wayland"));
}

bool StatusNotifierHostOnSessionBus() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  const QString watcher = QStringLiteral("org.kde.StatusNotifierWatcher");
  QDBusMessage ask =
      QDBusMessage::createMethodCall(watcher, QStringLiteral("/StatusNotifierWatcher"),
                                     QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
  ask << watcher << QStringLiteral("IsStatusNotifierHostRegistered");
  // Without a watcher on the bus the bus itself answers at once with an error.
  const QDBusMessage reply = bus.call(ask, QDBus::Block, kReplyLimitMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return false;
  return qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

}  // namespace

bool TrayIconGoesOverDBus() { return DesktopPlatform() && StatusNotifierHostOnSessionBus(); }

}  // namespace qnc
