#include <gtest/gtest.h>

#include <atomic>

#include "lan_test_support.h"
#include "platform/stop_sleep.h"
#include "lantest/thread_group.h"

namespace qnc {
namespace {

TEST(ThreadGroupTest, CountsRunningThreadsAndStopsThemAll) {
  ThreadGroup group;
  std::atomic<int> ended{0};
  for (int i = 0; i < 3; ++i) {
    ASSERT_TRUE(group.Start([&](std::stop_token stop) {
      SleepUnlessStopped(stop, std::chrono::hours(1));
      ended.fetch_add(1);
    }));
  }
  ASSERT_TRUE(group.Start([](std::stop_token) {}));
  EXPECT_TRUE(testing::WaitUntil([&] { return group.Running() == 3; }));
  group.JoinFinished();
  EXPECT_EQ(group.Running(), 3u);

  group.StopAndJoin();
  EXPECT_EQ(ended.load(), 3) << "every thread ran to its end before StopAndJoin returned";
  EXPECT_EQ(group.Running(), 0u);
}

}  // namespace
}  // namespace qnc
