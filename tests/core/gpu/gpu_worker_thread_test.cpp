#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>

#include "core/gpu/gpu_worker.h"
#include "core/model/text_field.h"
#include "fake_nvapi_fixture.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

// The two labels of the window, both showing "0" as they do at start.
struct Labels {
  Labels() {
    count.StoreText("0");
    usage.StoreText("0");
  }
  TextFieldStore count;
  TextFieldStore usage;
};

// Counts the worker's cycles so a test can wait for them, with a bound.
class CycleCounter {
 public:
  void operator()(std::uint64_t cycle) {
    {
      std::lock_guard lock(mutex_);
      cycles_ = cycle;
    }
    changed_.notify_all();
  }
  bool WaitFor(std::uint64_t cycles) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, 20s, [&] { return cycles_ >= cycles; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t cycles_ = 0;
};

using GpuWorkerThread = test::FakeNvapiTest;

TEST_F(GpuWorkerThread, KeepsTryingWithoutTheLibraryUntilStopped) {
  Labels labels;
  CycleCounter counter;
  GpuWorkerOptions options;
  options.libraryName = test::kNoSuchLibrary;
  options.pause = 5ms;
  options.diagnostics = nullptr;
  options.onCycleEnd = [&](std::uint64_t cycle) { counter(cycle); };
  GpuWorker worker(labels.count, labels.usage, options);

  std::jthread thread([&](std::stop_token stop) { worker.Run(stop); });
  ASSERT_TRUE(counter.WaitFor(3));
  thread.request_stop();
  thread.join();

  EXPECT_EQ(labels.count.Text(), "0");
  EXPECT_EQ(labels.usage.Text(), "0");
}

TEST_F(GpuWorkerThread, UpdatesLabelsFromItsThreadAndStopsDuringThePause) {
  UseScenario("displays=0,2;usage=37");
  Labels labels;
  CycleCounter counter;
  std::ostringstream diagnostics;
  GpuWorkerOptions options;
  options.libraryName = test::kFakeNvapi;
  options.pause = 1h;  // a stop must cut this short
  options.diagnostics = &diagnostics;
  options.onCycleEnd = [&](std::uint64_t cycle) { counter(cycle); };
  GpuWorker worker(labels.count, labels.usage, options);

  std::jthread thread([&](std::stop_token stop) { worker.Run(stop); });
  ASSERT_TRUE(counter.WaitFor(1));
  thread.request_stop();
  thread.join();

  EXPECT_EQ(labels.count.Text(), "2");
  EXPECT_EQ(labels.usage.Text(), "37%");
  EXPECT_EQ(diagnostics.str(), "卡的个数：2\nGPU[1], CPU利用率：37\n");
  EXPECT_EQ(LogLinesStartingWith("load").size(), 1u);  // the pause held the second cycle back
  EXPECT_EQ(Log().back(), "unload");
}

}  // namespace
}  // namespace qnc
