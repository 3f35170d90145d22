#include "probe/parallel_rows.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace qnc {
namespace {

using namespace std::chrono_literals;

TEST(ForEachInParallel, EveryIndexOnceAndNoMoreAtOnceThanAsked) {
  for (const int parallel : {1, 3, 16}) {
    constexpr std::size_t kCount = 12;
    std::vector<std::atomic<int>> calls(kCount);
    std::atomic<int> running{0};
    std::atomic<int> most{0};
    ForEachInParallel(kCount, parallel, {}, [&](std::size_t i) {
      const int now = ++running;
      int seen = most.load();
      while (now > seen && !most.compare_exchange_weak(seen, now)) {
      }
      std::this_thread::sleep_for(20ms);
      ++calls[i];
      --running;
    });
    for (std::size_t i = 0; i < kCount; ++i) EXPECT_EQ(calls[i].load(), 1) << parallel << " / " << i;
    EXPECT_LE(most.load(), std::min<int>(parallel, kCount)) << parallel;
    if (parallel > 1) {
      EXPECT_GT(most.load(), 1) << "rows overlapped";
    }
  }
  ForEachInParallel(0, 4, {}, [](std::size_t) { FAIL() << "no rows, no calls"; });
}

TEST(ForEachInParallel, AStopStartsNoMoreRows) {
  std::stop_source stop;
  std::atomic<int> calls{0};
  ForEachInParallel(100, 4, stop.get_token(), [&](std::size_t) {
    if (++calls == 4) stop.request_stop();
    std::this_thread::sleep_for(10ms);
  });
  EXPECT_LT(calls.load(), 10);
}

}  // namespace
}  // namespace qnc
