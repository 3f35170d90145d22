// The main window with a real notification area: an X server of its own
// (Xvfb) with a tray host (trayer) on it. Skips where either is missing.
#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/main_window.h"
#include "app_test_support.h"
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

bool Executable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

// A program run for the test. It dies with the test process, even when that
// crashes, and is ended (then killed if it lingers) when this object goes.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& command, const std::vector<std::string>& extraEnvironment) {
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    std::vector<std::string> environment = extraEnvironment;
    for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      const int quiet = open("/dev/null", O_RDWR);
      dup2(quiet, 0);
      dup2(quiet, 1);
      dup2(quiet, 2);
      execve(argv[0], argv.data(), envp.data());
      _exit(127);
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  ~ChildProcess() {
    if (pid_ <= 0 || exited_) return;
    kill(pid_, SIGTERM);
    for (int waited = 0; waited < 300; ++waited) {
      if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
      std::this_thread::sleep_for(10ms);
    }
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }

  bool Started() const { return pid_ > 0; }
  bool Exited() {
    if (!exited_ && waitpid(pid_, nullptr, WNOHANG) == pid_) exited_ = true;
    return exited_;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return done();
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

// An X server on a display number nobody uses, ready for clients.
std::unique_ptr<ChildProcess> StartXServer(const std::string& xvfb, int& display) {
  for (display = 70; display < 100; ++display) {
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
    if (Exists(socket) || Exists("/tmp/.X" + std::to_string(display) + "-lock")) continue;
    auto server = std::make_unique<ChildProcess>(
        std::vector<std::string>{xvfb, ":" + std::to_string(display), "-screen", "0", "800x600x24", "-nolisten", "tcp"},
        std::vector<std::string>{});
    if (!server->Started()) return nullptr;
    // Another server that took the number first makes this one exit.
    if (WaitFor([&] { return Exists(socket) || server->Exited(); }, 10s) && !server->Exited()) return server;
  }
  return nullptr;
}

TEST(TrayDesktop, TheIconAppearsOnCloseAndADoubleClickBringsTheWindowBack) {
  const std::string xvfb = "/usr/bin/Xvfb";
  const std::string trayer = "/usr/bin/trayer";
  if (!Executable(xvfb) || !Executable(trayer)) GTEST_SKIP() << "needs Xvfb and trayer";

  int display = 0;
  const auto server = StartXServer(xvfb, display);
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

    // A click on the tray cannot be made from here; the icon's own signal
    // carries the double click.
    emit icon.activated(QSystemTrayIcon::DoubleClick);
    EXPECT_TRUE(test::WaitUntil([&] { return window.isVisible() && !icon.isVisible(); }, 5s));
    EXPECT_TRUE(test::WaitUntil([&] { return icon.geometry().isEmpty(); }, 5s)) << "the icon stayed in the tray";
  }
  // The application has let go of the display before the server ends.
}

}  // namespace
}  // namespace qnc
