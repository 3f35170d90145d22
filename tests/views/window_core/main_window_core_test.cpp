#include "views/window_core/main_window_core.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "core/probe/worker_harness.h"
#include "views/templates/control_ids.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

// What a front end would carry over to its window thread.
class RecordedNotices {
 public:
  WorkerNotices Notices() {
    return WorkerNotices{
        .serverTextChanged = [this] { serverNotices_.fetch_add(1); },
        .gpuLabelChanged =
            [this](int label, const std::string& text) {
              const std::lock_guard lock(mutex_);
              labels_.emplace_back(label, text);
            },
    };
  }
  int ServerNotices() const { return serverNotices_.load(); }
  std::vector<std::pair<int, std::string>> Labels() const {
    const std::lock_guard lock(mutex_);
    return labels_;
  }

 private:
  std::atomic<int> serverNotices_{0};
  mutable std::mutex mutex_;
  std::vector<std::pair<int, std::string>> labels_;
};

// Measures nothing anywhere: the tables stay empty, the DNS server is fixed
// and the GPU library does not exist.
ProbeSessionOptions QuietSession() {
  ProbeSessionOptions options;
  options.dns.initialServer = "127.0.0.1";
  for (const TableKind kind : kAllTables) options.Worker(kind).pauseMs = 10;
  return options;
}

// Polls up to 10 s, for a worker thread's first steps.
template <typename Condition>
bool WaitUntil(Condition condition) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(1ms);
  }
  return true;
}

GpuWorkerOptions NoGpu(std::function<void(std::uint64_t)> onCycleEnd = {}) {
  return GpuWorkerOptions{.libraryName = "libqnc-test-no-such-nvapi.so.1",
                          .pause = 10ms,
                          .diagnostics = nullptr,
                          .onCycleEnd = std::move(onCycleEnd)};
}

// Both labels show "0" from the start, without a notice; each label's
// change reaches the window under that label's own control id.
TEST(MainWindowCore, GpuLabelsStartAtZeroAndKeepTheirIds) {
  MainWindowCore core(QuietSession(), NoGpu());
  RecordedNotices recorded;
  core.Listen(recorded.Notices());
  EXPECT_EQ(core.GpuLabelText(id::kGpuCountLabel), "0");
  EXPECT_EQ(core.GpuLabelText(id::kGpuUsageLabel), "0");
  EXPECT_TRUE(recorded.Labels().empty()) << "the start values are shown, not announced";

  core.GpuCountField().SetText("2");
  core.GpuUsageField().SetText("37%");
  const std::vector<std::pair<int, std::string>> expected{{id::kGpuCountLabel, "2"}, {id::kGpuUsageLabel, "37%"}};
  EXPECT_EQ(recorded.Labels(), expected);
  EXPECT_EQ(core.GpuLabelText(id::kGpuCountLabel), "2");
  EXPECT_EQ(core.GpuLabelText(id::kGpuUsageLabel), "37%");
  EXPECT_EQ(core.GpuLabelText(id::kDnsServerEdit), "") << "no other control is a GPU label";
}

// While one notice waits for the window, further changes add none; once the
// window has taken the text, the next change notifies again.
TEST(MainWindowCore, ServerTextNoticesWaitForTheWindow) {
  MainWindowCore core(QuietSession(), NoGpu());
  RecordedNotices recorded;
  core.Listen(recorded.Notices());
  TextFieldStore& server = core.Session().DnsServer();
  server.SetText("10.0.0.1");
  server.SetText("10.0.0.2");
  server.SetText("10.0.0.3");
  EXPECT_EQ(recorded.ServerNotices(), 1);
  EXPECT_EQ(core.TakeServerText(), "10.0.0.3") << "the window shows the newest text";
  server.SetText("10.0.0.4");
  EXPECT_EQ(recorded.ServerNotices(), 2);
  EXPECT_EQ(core.TakeServerText(), "10.0.0.4");
}

std::string NumberedServer(int number) {
  return "10.0." + std::to_string(number / 256) + "." + std::to_string(number % 256);
}

// A worker that keeps changing the text while the window takes it: however
// the two meet, the window ends up showing the last text written.
TEST(MainWindowCore, WindowNeverMissesTheLastServerText) {
  MainWindowCore core(QuietSession(), NoGpu());
  RecordedNotices recorded;
  core.Listen(recorded.Notices());
  constexpr int kTexts = 2000;
  std::atomic<bool> writerDone{false};
  std::thread writer([&] {
    for (int i = 1; i <= kTexts; ++i) core.Session().DnsServer().SetText(NumberedServer(i));
    writerDone.store(true);
  });
  int taken = 0;
  std::string shown;
  const auto takeWhatIsNotified = [&] {
    while (taken < recorded.ServerNotices()) {
      ++taken;
      shown = core.TakeServerText();
    }
  };
  while (!writerDone.load()) takeWhatIsNotified();
  writer.join();
  takeWhatIsNotified();
  EXPECT_EQ(shown, NumberedServer(kTexts));
  EXPECT_LT(recorded.ServerNotices(), kTexts + 1);
}

// The three probe workers and the GPU worker start together and stop
// together; the DNS worker's first server text reaches the window, and once
// the window stops listening nothing more does.
TEST(MainWindowCore, StartsAndStopsTheFourWorkers) {
  test::PassWaiter gpuCycles;
  MainWindowCore core(QuietSession(), NoGpu(gpuCycles.Callback()));
  RecordedNotices recorded;
  core.Listen(recorded.Notices());
  EXPECT_EQ(core.RunningWorkers(), 0);

  core.StartWorkers();
  EXPECT_EQ(core.RunningWorkers(), 4);
  EXPECT_TRUE(gpuCycles.WaitFor(2, 10s)) << "the GPU worker keeps cycling";
  EXPECT_TRUE(WaitUntil([&] { return recorded.ServerNotices() == 1; })) << "the DNS worker fills in its server";
  EXPECT_EQ(core.GpuLabelText(id::kGpuCountLabel), "0") << "a failed reading keeps the start value";
  ASSERT_TRUE(core.StopWorkers(5s));
  EXPECT_EQ(core.RunningWorkers(), 0);
  EXPECT_EQ(core.TakeServerText(), "127.0.0.1");

  core.StopListening();
  core.Session().DnsServer().SetText("10.0.0.9");
  core.GpuCountField().SetText("1");
  EXPECT_EQ(recorded.ServerNotices(), 1);
  EXPECT_TRUE(recorded.Labels().empty());
}

}  // namespace
}  // namespace qnc
