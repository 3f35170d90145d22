// Figures of the history windows, printed, not judged (run with
// QT_QPA_PLATFORM=offscreen, or on a private Xvfb):
//  - the time from a double click's call to a details window painted on a
//    full history of 3,600 samples;
//  - the main window's event-loop stall (the longest and the 99th percentile
//    delay of a 5 ms timer) while a thread appends a sample to every row each
//    second and details windows follow their rows, beside the same without
//    windows;
//  - the process's memory with 3 tables x 100 rows of full histories, with
//    details windows open and after they close.
#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "qt/app/main_window.h"

namespace {

using namespace std::chrono_literals;
using qnc::TableKind;

constexpr int kRowsPerTable = 100;

// A field of /proc/self/status in MB ("VmRSS", "VmHWM"); -1 when unreadable.
double StatusMb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stod(line.substr(field.size() + 1)) / 1024.0;
  }
  return -1;
}

// This thread's CPU time in milliseconds: unlike the wall clock, it does not
// count the time other processes of a busy machine take.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

qnc::Sample RandomSample(std::chrono::system_clock::time_point time, std::mt19937& random) {
  std::lognormal_distribution<double> trip(std::log(20'000.0), 0.5);  // around 20 ms
  std::uniform_int_distribution<int> percent(0, 99);
  const bool lost = percent(random) < 3;
  return {time, static_cast<std::uint32_t>(trip(random)),
          lost ? qnc::FailureReason::kTimeout : qnc::FailureReason::kNone};
}

void FillHistories(qnc::CQUORIX_NET_CHECKDlg& window) {
  std::mt19937 random(11);
  const auto start = std::chrono::system_clock::now() - std::chrono::seconds(qnc::SampleRing::kDefaultCapacity);
  for (const TableKind kind : qnc::kAllTables) {
    qnc::TableStore& table = window.Table(kind);
    for (int row = 0; row < table.RowCount(); ++row) {
      qnc::SampleRing& history = table.RowAt(row).counters->history;
      for (std::size_t i = 0; i < history.Capacity(); ++i) {
        history.Append(RandomSample(start + std::chrono::seconds(i), random));
      }
    }
  }
}

void Settle() {
  for (int i = 0; i < 5; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
  }
}

// Opens `count` details windows on rows of the ping table, each painted once,
// and prints how long each took.
std::vector<qnc::RowDetailsWindow*> OpenTimed(qnc::CQUORIX_NET_CHECKDlg& window, int count) {
  std::vector<double> times;
  std::vector<double> cpu;
  std::vector<qnc::RowDetailsWindow*> opened;
  for (int row = 0; row < count; ++row) {
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = ThreadCpuMs();
    qnc::RowDetailsWindow* details = window.History().OpenRowDetails(TableKind::kPing, row);
    details->repaint();
    QCoreApplication::processEvents();
    times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    cpu.push_back(ThreadCpuMs() - cpuStart);
    opened.push_back(details);
  }
  std::printf(
      "details window open + first paint, %zu samples: first %.1f ms, median %.1f ms, max %.1f ms; CPU median %.1f ms "
      "(%d windows)\n",
      opened.front()->Samples().size(), times.front(), Median(times), *std::max_element(times.begin(), times.end()),
      Median(cpu), count);
  return opened;
}

// The time one details window takes to take a new sample and repaint: what
// each open window adds to the event loop once a second.
void FollowCost(qnc::CQUORIX_NET_CHECKDlg& window) {
  qnc::RowDetailsWindow* details =
      window.History().RowDetails(TableKind::kPing, window.Table(TableKind::kPing).RowAt(0).id);
  qnc::SampleRing& history = window.Table(TableKind::kPing).RowAt(0).counters->history;
  std::mt19937 random(3);
  std::vector<double> times;
  std::vector<double> cpu;
  for (int i = 0; i < 20; ++i) {
    history.Append(RandomSample(std::chrono::system_clock::now(), random));
    QElapsedTimer clock;
    clock.start();
    const double cpuStart = ThreadCpuMs();
    details->Follow();
    details->repaint();
    times.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    cpu.push_back(ThreadCpuMs() - cpuStart);
  }
  std::printf(
      "one details window taking a new sample and repainting all of it (full history): median %.1f ms, CPU median "
      "%.1f ms\n",
      Median(times), Median(cpu));
}

// Runs the event loop for `seconds` while a thread appends one sample to
// every row each second (the workers' pace, all rows at once); prints the
// delays of a 5 ms timer.
void MeasureStall(qnc::CQUORIX_NET_CHECKDlg& window, int seconds, const char* what) {
  std::vector<qnc::SampleRing*> histories;
  for (const TableKind kind : qnc::kAllTables) {
    for (int row = 0; row < window.Table(kind).RowCount(); ++row) {
      histories.push_back(&window.Table(kind).RowAt(row).counters->history);
    }
  }
  std::jthread appender([&histories](std::stop_token stop) {
    std::mt19937 random(5);
    while (!stop.stop_requested()) {
      for (qnc::SampleRing* history : histories)
        history->Append(RandomSample(std::chrono::system_clock::now(), random));
      for (int i = 0; i < 100 && !stop.stop_requested(); ++i) std::this_thread::sleep_for(10ms);
    }
  });

  constexpr int kTickMs = 5;
  std::vector<double> delays;
  QElapsedTimer clock;
  clock.start();
  qint64 last = clock.nsecsElapsed();
  QTimer tick;
  tick.setTimerType(Qt::PreciseTimer);
  QObject::connect(&tick, &QTimer::timeout, [&] {
    const qint64 now = clock.nsecsElapsed();
    delays.push_back(std::max(0.0, static_cast<double>(now - last) / 1e6 - kTickMs));
    last = now;
  });
  tick.start(kTickMs);
  QEventLoop loop;
  QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
  loop.exec();
  tick.stop();
  appender.request_stop();

  std::sort(delays.begin(), delays.end());
  std::printf("event-loop stall over %d s, %s: max %.2f ms, p99 %.2f ms, median %.2f ms (%zu ticks)\n", seconds, what,
              delays.back(), delays[delays.size() * 99 / 100], delays[delays.size() / 2], delays.size());
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QTemporaryDir folder;
  qnc::MainWindowOptions options;
  options.startWorkers = false;
  options.defaultRows = false;
  options.configFilePath = folder.filePath(QStringLiteral("none.txt")).toStdString();
  options.routeTablePath = folder.filePath(QStringLiteral("no-route")).toStdString();
  options.gpu.libraryName = "libqnc-bench-no-such-nvapi.so.1";
  options.gpu.diagnostics = nullptr;
  options.icmpUnavailableReason = [] { return std::nullopt; };
  for (int row = 0; row < kRowsPerTable; ++row) {
    const std::string host = "bench-" + std::to_string(row) + ".test";
    options.dnsRows.push_back(host);
    options.pingRows.push_back(host);
    options.gameRows.push_back(host + ":443");
  }

  qnc::CQUORIX_NET_CHECKDlg window(options);
  window.show();
  Settle();
  std::printf("window with 3 x %d rows, empty histories: RSS %.1f MB\n", kRowsPerTable, StatusMb("VmRSS"));
  FillHistories(window);
  Settle();
  std::printf("after filling every history (3,600 samples each): RSS %.1f MB\n", StatusMb("VmRSS"));

  std::vector<qnc::RowDetailsWindow*> opened = OpenTimed(window, 10);
  Settle();
  std::printf("with 10 details windows open: RSS %.1f MB\n", StatusMb("VmRSS"));
  for (qnc::RowDetailsWindow* details : opened) details->close();
  Settle();

  MeasureStall(window, 10, "no details window open");
  for (const TableKind kind : qnc::kAllTables) {
    for (int row = 0; row < 3; ++row) window.History().OpenRowDetails(kind, row)->repaint();
  }
  Settle();
  FollowCost(window);
  MeasureStall(window, 10, "9 details windows following (3 per table)");
  std::printf("with 9 details windows open: RSS %.1f MB\n", StatusMb("VmRSS"));
  for (QWidget* details : window.findChildren<qnc::RowDetailsWindow*>()) details->close();
  Settle();
  QEventLoop settle;
  QTimer::singleShot(3000, &settle, &QEventLoop::quit);
  settle.exec();
  std::printf("3 s after they closed: RSS %.1f MB (peak %.1f MB)\n", StatusMb("VmRSS"), StatusMb("VmHWM"));
  return 0;
}
