#include "app_test_support.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>

namespace qnc::test {

QApplication& App() {
  // A test that runs its own application (on a real display) keeps it: a
  // second one would take over Qt's globals and strand the first one's state.
  if (auto* running = qobject_cast<QApplication*>(QCoreApplication::instance())) return *running;
  static int argc = 1;
  static char name[] = "qnc_app_tests";
  static char* argv[] = {name, nullptr};
  static QApplication* application = [] {
    auto* made = new QApplication(argc, argv);
    // As in the program: a hidden main window does not end the run.
    QApplication::setQuitOnLastWindowClosed(false);
    // Any default path goes to a test folder, never to the user's own files.
    QStandardPaths::setTestModeEnabled(true);
    return made;
  }();
  return *application;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limit.count()) return done();
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    std::this_thread::sleep_for(2ms);
  }
  return true;
}

namespace {

QWidget* OpenModal() {
  if (QWidget* popup = QApplication::activePopupWidget()) return popup;
  return QApplication::activeModalWidget();
}

void CloseModal(QWidget& widget) {
  if (auto* dialog = qobject_cast<QDialog*>(&widget)) {
    dialog->reject();
  } else {
    widget.close();
  }
}

}  // namespace

void OnNextModal(std::function<void(QWidget&)> act, std::chrono::milliseconds limit) {
  // Modals already open (an outer one) are not the next one.
  QPointer<QWidget> before = OpenModal();
  auto* poll = new QTimer(&App());
  auto* clock = new QElapsedTimer;
  clock->start();
  QObject::connect(poll, &QTimer::timeout, poll, [poll, clock, before, act = std::move(act), limit] {
    QWidget* modal = OpenModal();
    const bool appeared = modal != nullptr && modal != before && modal->isVisible();
    if (!appeared && clock->elapsed() <= limit.count()) return;
    poll->stop();
    poll->deleteLater();
    delete clock;
    if (!appeared) {
      ADD_FAILURE() << "no modal window or menu appeared";
      if (modal != nullptr) CloseModal(*modal);
      return;
    }
    QPointer<QWidget> guard = modal;
    act(*modal);
    if (guard != nullptr && guard->isVisible() && guard == OpenModal()) {
      ADD_FAILURE() << "the modal window was left open: " << guard->metaObject()->className();
      CloseModal(*guard);
    }
  });
  poll->start(10);
}

void OnNextMenu(std::function<QAction*(QMenu&)> choose, std::chrono::milliseconds limit) {
  OnNextModal(
      [choose = std::move(choose)](QWidget& popup) {
        auto* menu = qobject_cast<QMenu*>(&popup);
        ASSERT_NE(menu, nullptr) << "not a menu: " << popup.metaObject()->className();
        QAction* chosen = choose(*menu);
        if (chosen == nullptr) {
          menu->close();
          return;
        }
        menu->setActiveAction(chosen);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(menu, &press);
      },
      limit);
}

void ChooseFile(QWidget& modal, const QString& path) {
  auto* dialog = qobject_cast<QFileDialog*>(&modal);
  ASSERT_NE(dialog, nullptr) << "not a file dialog: " << modal.metaObject()->className();
  dialog->selectFile(path);
  // selectFile leaves the name field alone while that has the keyboard focus,
  // which comes and goes with the window's activation; typed there, the whole
  // path is the choice whatever the focus.
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  name->setText(path);
  QMetaObject::invokeMethod(dialog, "accept");
}

void RightClick(QWidget& widget, QPoint position) {
  QContextMenuEvent event(QContextMenuEvent::Mouse, position, widget.mapToGlobal(position));
  QCoreApplication::sendEvent(&widget, &event);
}

void Type(QWidget& widget, const QString& text) {
  for (const QChar character : text) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(character));
    QCoreApplication::sendEvent(&widget, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(character));
    QCoreApplication::sendEvent(&widget, &release);
  }
}

void PressKey(QWidget& widget, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &release);
}

namespace {
const Ipv4NetOrder kLoopback = *ParseDottedQuad("127.0.0.1");
}  // namespace

OpenPort::OpenPort() : listener_(TcpSocket::Open()) {
  if (!listener_ || !listener_->Bind(kLoopback, 0) || !listener_->Listen(64)) {
    ADD_FAILURE() << "cannot listen on 127.0.0.1";
    return;
  }
  port_ = listener_->LocalPort();
  acceptor_ = std::jthread([this](std::stop_token stop) {
    while (!stop.stop_requested()) {
      listener_->Accept(50, stop);  // accepted and dropped at once
    }
  });
}

OpenPort::~OpenPort() {
  acceptor_.request_stop();
  if (acceptor_.joinable()) acceptor_.join();
}

std::uint16_t ClosedPort() {
  auto socket = TcpSocket::Open();
  socket->Bind(kLoopback, 0);
  return socket->LocalPort();
}

namespace {

std::string WriteFile(const QTemporaryDir& folder, const char* name, const QByteArray& content) {
  const QString path = folder.filePath(QString::fromUtf8(name));
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
    ADD_FAILURE() << "cannot write " << path.toStdString();
  }
  return path.toStdString();
}

}  // namespace

namespace {

// What every test window starts with: no configuration file yet, and a GPU
// worker that finds no driver library.
MainWindowOptions TestOptions(const QTemporaryDir& folder) {
  MainWindowOptions options;
  options.configFilePath = LocalPath(folder.filePath(QStringLiteral("Quorix测试工具.txt")));
  options.gpu.libraryName = "libqnc-test-no-such-nvapi.so.1";
  options.gpu.diagnostics = nullptr;
  return options;
}

}  // namespace

std::string LocalPath(const QString& path) { return QFile::encodeName(path).toStdString(); }

MainWindowOptions LoopbackOptions(const QTemporaryDir& folder) {
  MainWindowOptions options = TestOptions(folder);
  options.defaultRows = false;
  options.routeTablePath = folder.filePath(QStringLiteral("no-route-table")).toStdString();
  options.dns.resolvConfPath = WriteFile(folder, "resolv.conf", "nameserver 127.0.0.1\n");
  options.dns.resolvedUpstreamPath = folder.filePath(QStringLiteral("no-upstream")).toStdString();
  options.dns.serverPort = ClosedPort();  // queries are refused at once
  options.dns.replyTimeoutMs = 200;
  options.dns.pauseMs = 10;
  options.ping.replyTimeoutMs = 200;
  options.ping.pauseMs = 10;
  options.game.connectTimeoutMs = 500;
  options.game.pauseMs = 10;
  return options;
}

MainWindowOptions StillOptions(const QTemporaryDir& folder, const std::string& gatewayHex) {
  MainWindowOptions options = TestOptions(folder);
  options.startWorkers = false;
  QByteArray routes =
      "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
      "eth0\t0001A8C0\t00000000\t0001\t0\t0\t0\t00FFFFFF\t0\t0\t0\n";
  if (!gatewayHex.empty()) {
    routes += "eth0\t00000000\t" + QByteArray::fromStdString(gatewayHex) + "\t0003\t0\t0\t100\t00000000\t0\t0\t0\n";
  }
  options.routeTablePath = WriteFile(folder, "route", routes);
  return options;
}

}  // namespace qnc::test
