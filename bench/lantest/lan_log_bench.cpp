// Cost of a log line at the start and at the end of a long log: 100,000
// lines put in front, timed in blocks. Measures the thread-safe store alone
// and, in a build with the dialog, the store with its view control, applying
// the change after every line (the worst case: one notice per line).
//
//   bench_lan_log [--lines N] [--block N]
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "core/lantest/lan_log_store.h"
#include "core/lantest/log_lines.h"

#ifdef QNC_LAN_LOG_VIEW_BENCH
#include <QApplication>
#include <QPlainTextEdit>

#include "qt/lan/lan_log_view.h"
#endif

namespace {

using Clock = std::chrono::steady_clock;

// Runs `addLine` for every line and prints the cost per line of the first
// and the last block.
void Measure(const char* what, int lines, int block, const std::function<void(const std::string&)>& addLine) {
  std::vector<double> blockNs;
  auto blockStart = Clock::now();
  const auto start = blockStart;
  for (int n = 0; n < lines; ++n) {
    const int second = n % 60;
    addLine(qnc::ClientReportLine({n / 3600 % 24, n / 60 % 60, second}, {1572864 + n, 104857600 + n}));
    if ((n + 1) % block == 0) {
      const auto now = Clock::now();
      blockNs.push_back(std::chrono::duration<double, std::nano>(now - blockStart).count() / block);
      blockStart = Clock::now();
    }
  }
  const double total = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%-28s lines=%d total=%.3fs first_block_ns_per_line=%.0f last_block_ns_per_line=%.0f ratio=%.2f\n", what,
              lines, total, blockNs.front(), blockNs.back(), blockNs.back() / blockNs.front());
}

}  // namespace

int main(int argc, char** argv) {
  int lines = 100000;
  int block = 10000;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--lines") lines = std::stoi(argv[i + 1]);
    if (option == "--block") block = std::stoi(argv[i + 1]);
  }
  {
    qnc::LanLogStore store;
    Measure("store", lines, block, [&](const std::string& line) { store.Prepend(line); });
  }
#ifdef QNC_LAN_LOG_VIEW_BENCH
  int qtArgc = 1;
  char name[] = "bench_lan_log";
  char* qtArgv[] = {name, nullptr};
  QApplication app(qtArgc, qtArgv);
  qnc::LanLogStore store;
  store.SetChangeListener([] {});
  QPlainTextEdit view;
  view.setLineWrapMode(QPlainTextEdit::NoWrap);
  view.resize(600, 200);
  view.show();
  int sinceEvents = 0;
  Measure("store+view (apply per line)", lines, block, [&](const std::string& line) {
    store.Prepend(line);
    qnc::ApplyLogChanges(view, store.TakeChanges());
    if (++sinceEvents == 100) {  // let the control paint now and then, as the event loop would
      sinceEvents = 0;
      QCoreApplication::processEvents();
    }
  });
#endif
  return 0;
}
