// Memory of the game web-page window over its openings: the window program's
// resident memory and the processes the page runs in (the page program and
// Qt WebEngine's helpers under it) before the first page, while a page is
// shown, and every half second after the window closes. This process stands
// in for the window program, set up as it is (no WebEngine, no shared OpenGL
// context), and opens the pages the way its buttons do; the page comes from a
// server on 127.0.0.1. Prints figures; asserts nothing. Run it through
// bench/web/web_window_memory.sh, which gives it a display and a network of
// its own.
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "child_processes.h"
#include "page_server.h"
#include "qt/web/show_bubg_dlg.h"

namespace {

constexpr int kPageWaitMs = 30000;

// One line: this process's resident memory (anonymous and file-backed
// parts), then each helper process by type with its RSS and its proportional
// share (PSS: the helpers share most of their pages with each other).
void Report(const char* moment) {
  using qnc::test::MemoryFieldKb;
  std::string helpers;
  long helpersPssKb = 0;
  const auto children = qnc::test::ChildProcesses();
  for (const auto& child : children) {
    const long pss = MemoryFieldKb(child.pid, "Pss", true);
    helpers += " " + (child.type.empty() ? std::string("?") : child.type) + ":" +
               std::to_string(child.residentKb / 1024) + "/" + std::to_string(pss / 1024);
    helpersPssKb += pss;
  }
  const pid_t self = getpid();
  std::printf("%-12s main RSS %4ld MB (anon %4ld, file %4ld); %zu helper(s), PSS %4ld MB, RSS/PSS MB:%s\n", moment,
              qnc::test::ResidentKb(self) / 1024, MemoryFieldKb(self, "RssAnon") / 1024,
              MemoryFieldKb(self, "RssFile") / 1024, children.size(), helpersPssKb / 1024, helpers.c_str());
  std::fflush(stdout);
}

// Lets the event loop run for `ms`.
void Idle(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

}  // namespace

int main(int argc, char** argv) {
  const int holdSeconds = argc > 1 ? std::max(1, std::min(60, std::atoi(argv[1]))) : 10;
  const int openings = argc > 2 ? std::max(1, std::min(10, std::atoi(argv[2]))) : 1;
  qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-background-networking --disable-component-update --no-first-run " +
                                            qgetenv("QTWEBENGINE_CHROMIUM_FLAGS"));
  QApplication app(argc, argv);

  qnc::test::PageServer server;
  if (!server.Start()) {
    std::fprintf(stderr, "cannot listen on 127.0.0.1\n");
    return 1;
  }
  server.AddFilledPage(QStringLiteral("/page.html"), QStringLiteral("page"), QStringLiteral("#2060c0"));
  QWidget main;
  main.resize(400, 300);
  main.show();
  Idle(2000);
  Report("before");

  const QString path = QStringLiteral("/page.html");
  qnc::CShowBubgDlg opener(&main, server.UrlOf(path).toString());
  // Closes the page window two seconds after the page was asked for (or when
  // it never is), as a user would.
  QObject::connect(&opener, &qnc::CShowBubgDlg::opened, &opener, [&] {
    QElapsedTimer waited;
    waited.start();
    while (!server.RequestedPaths().contains(path) && waited.elapsed() < kPageWaitMs) Idle(50);
    Idle(2000);
    Report("shown");
    opener.Close();
  });
  for (int opening = 1; opening <= openings; ++opening) {
    opener.exec();
    QElapsedTimer closed;
    closed.start();
    for (int step = 1; step <= holdSeconds * 2; ++step) {
      Idle(static_cast<int>(std::max<qint64>(0, step * 500 - closed.elapsed())));
      Report(("closed+" + std::to_string(step * 5 / 10) + "." + std::to_string(step * 5 % 10) + "s").c_str());
    }
  }
  return 0;
}
