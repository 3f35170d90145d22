#pragma once
// Helpers for driving the windows offscreen, as a user would, and a loopback
// network for their workers. Every wait is bounded.
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/tcp_socket.h"
#include "qt/app/main_window_options.h"

namespace qnc::test {

using namespace std::chrono_literals;

// The one application object of the test process: the running one, else one
// made here (offscreen tests share it for the life of the process).
QApplication& App();

// Processes events until `done` holds or `limit` passes; returns done().
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = 10s);

// The control of `root` that carries this id.
template <typename T>
T* Find(const QWidget& root, int id) {
  return root.findChild<T*>(QString::number(id));
}

// Arranges for `act` to run on the next modal dialog or popup menu as soon as
// it shows (while the code under test sits in its exec()). If none shows
// within the limit, or `act` leaves it open, the test fails and it is closed,
// so nothing waits for ever.
void OnNextModal(std::function<void(QWidget&)> act, std::chrono::milliseconds limit = 5s);

// Arranges for the next popup menu to be answered: `choose` sees the menu as
// it opens and returns the item the user picks, or null to dismiss it. The
// pick goes through the menu as a keyboard would make it.
void OnNextMenu(std::function<QAction*(QMenu&)> choose, std::chrono::milliseconds limit = 5s);

// Picks `path` in a file dialog (`modal`, as OnNextModal hands it over) and
// accepts it, as a user typing the whole path into its name field would.
void ChooseFile(QWidget& modal, const QString& path);

// Right-clicks `widget` at `position` (a context-menu request, as the mouse makes it).
void RightClick(QWidget& widget, QPoint position);

// Types the text into the widget one character at a time, as the keyboard
// would (Chinese included).
void Type(QWidget& widget, const QString& text);

// Presses Enter, Return or Escape on the widget that has the focus.
void PressKey(QWidget& widget, int key);

// A TCP listener on 127.0.0.1 that accepts and closes every connection.
class OpenPort {
 public:
  OpenPort();
  ~OpenPort();
  std::uint16_t Port() const { return port_; }
  std::string Target() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  std::optional<TcpSocket> listener_;
  std::uint16_t port_ = 0;
  std::jthread acceptor_;
};

// A port on 127.0.0.1 that nothing listens on (bound once, then released).
std::uint16_t ClosedPort();

// A path as the configuration file functions take it.
std::string LocalPath(const QString& path);

// Window options for a test: no default rows, no route table, the DNS worker
// pointed at 127.0.0.1 on a closed port through a resolver file in `folder`,
// short pauses and time-outs. Rows are left for the test to add. As with
// StillOptions, the fixed configuration file is a file in `folder` that does
// not exist yet, and the GPU worker looks for a driver library that does not
// exist.
MainWindowOptions LoopbackOptions(const QTemporaryDir& folder);

// Options for looking at the window without any worker: default rows with the
// gateway from a route table in `folder` naming `gateway` (none when empty).
MainWindowOptions StillOptions(const QTemporaryDir& folder, const std::string& gatewayHex);

}  // namespace qnc::test
