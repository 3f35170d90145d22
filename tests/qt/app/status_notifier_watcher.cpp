// A stand-in for a desktop whose tray speaks D-Bus (as KDE Plasma's does): it
// owns org.kde.StatusNotifierWatcher on the session bus that
// DBUS_SESSION_BUS_ADDRESS names, says a tray host is registered, and keeps
// the items that register with it, newest last, as "service/path". Runs until
// it is ended; exits with 1 when it cannot take the bus name.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>

namespace {

class StatusNotifierWatcher final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
  Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)
  // How many registrations there were, repeats included, so that a test can
  // tell a fresh one from an old one.
  Q_PROPERTY(int Registrations READ Registrations)

 public:
  bool IsStatusNotifierHostRegistered() const { return true; }
  int ProtocolVersion() const { return 0; }
  QStringList RegisteredStatusNotifierItems() const { return items_; }
  int Registrations() const { return registrations_; }

 public slots:
  // An item names itself by its bus name (its object then sits at
  // /StatusNotifierItem) or by an object path on the caller's connection.
  void RegisterStatusNotifierItem(const QString& serviceOrPath, const QDBusMessage& message) {
    const QString item = serviceOrPath.startsWith(QLatin1Char('/'))
                             ? message.service() + serviceOrPath
                             : serviceOrPath + QStringLiteral("/StatusNotifierItem");
    items_.removeAll(item);
    items_.append(item);
    ++registrations_;
    emit StatusNotifierItemRegistered(item);
  }
  void RegisterStatusNotifierHost(const QString&) { emit StatusNotifierHostRegistered(); }

 signals:
  void StatusNotifierItemRegistered(const QString& item);
  void StatusNotifierHostRegistered();

 private:
  QStringList items_;
  int registrations_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  StatusNotifierWatcher watcher;
  QDBusConnection bus = QDBusConnection::sessionBus();
  // The object first, so that it answers as soon as the name appears.
  if (!bus.registerObject(
          QStringLiteral("/StatusNotifierWatcher"), &watcher,
          QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals | QDBusConnection::ExportAllProperties) ||
      !bus.registerService(QStringLiteral("org.kde.StatusNotifierWatcher"))) {
    return 1;
  }
  return QCoreApplication::exec();
}

#include "status_notifier_watcher.moc"
