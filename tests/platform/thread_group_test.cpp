// The thread group: counting, joining finished threads, a bounded stop that
// gives up on a body the stop token cannot reach, and a full stop.
#include "platform/thread_group.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <semaphore>

#include "platform/stop_sleep.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

bool WaitUntil(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 8s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

TEST(ThreadGroup, CountsRunningThreadsAndStopsThemAll) {
  ThreadGroup group;
  std::atomic<int> ended{0};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(group.Start([&](std::stop_token stop) {
      SleepUnlessStopped(stop, std::chrono::hours(1));
      ended.fetch_add(1);
    }));
  }
  ASSERT_TRUE(group.Start([](std::stop_token) {}));
  EXPECT_TRUE(WaitUntil([&] { return group.Running() == 3; }));
  group.JoinFinished();
  EXPECT_EQ(group.Running(), 3u);
  EXPECT_FALSE(group.WaitFinished(20ms));

  group.StopAndJoin();
  EXPECT_EQ(ended.load(), 3) << "every thread ran to its end before StopAndJoin returned";
  EXPECT_EQ(group.Running(), 0u);
}

TEST(ThreadGroup, BoundedStopGivesUpOnABodyThatDoesNotReturn) {
  std::binary_semaphore lookupReturns{0};
  std::atomic<bool> cooperativeSawStop{false};
  ThreadGroup group;
  // One body stuck where the stop token cannot reach it (like a name lookup),
  // one that honours the token.
  group.Start([&](std::stop_token) { lookupReturns.acquire(); });
  group.Start([&](std::stop_token stop) {
    SleepUnlessStopped(stop, std::chrono::hours(1));
    cooperativeSawStop = true;
  });
  EXPECT_EQ(group.Running(), 2u);

  EXPECT_FALSE(group.StopWithin(50ms));
  EXPECT_TRUE(WaitUntil([&] { return group.Running() == 1; })) << "only the stuck body is left";
  EXPECT_TRUE(cooperativeSawStop);

  lookupReturns.release();
  EXPECT_TRUE(group.StopWithin(5s));
  EXPECT_EQ(group.Running(), 0u);
}

TEST(ThreadGroup, DestructionStopsAndJoins) {
  std::atomic<int> ended{0};
  {
    ThreadGroup group;
    for (int i = 0; i < 3; ++i) {
      group.Start([&](std::stop_token stop) {
        SleepUnlessStopped(stop, std::chrono::hours(1));
        ++ended;
      });
    }
  }
  EXPECT_EQ(ended.load(), 3);
}

}  // namespace
}  // namespace qnc
