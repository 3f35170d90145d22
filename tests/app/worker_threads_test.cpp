// The window's worker threads: a bounded stop that gives up on a worker that
// does not return, and a clean stop otherwise.
#include "app/worker_threads.h"

#include <gtest/gtest.h>

#include <semaphore>

namespace qnc {
namespace {

using namespace std::chrono_literals;

TEST(WorkerThreads, BoundedStopGivesUpOnAWorkerThatDoesNotReturn) {
  std::binary_semaphore lookupReturns{0};
  std::atomic<bool> cooperativeSawStop{false};
  WorkerThreads threads;
  // One worker stuck where the stop token cannot reach it (like a name lookup),
  // one that honours the token.
  threads.Start([&](std::stop_token) { lookupReturns.acquire(); });
  threads.Start([&](std::stop_token stop) {
    while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
    cooperativeSawStop = true;
  });
  EXPECT_EQ(threads.Running(), 2);

  EXPECT_FALSE(threads.StopWithin(50ms));
  for (int waited = 0; threads.Running() > 1 && waited < 5000; ++waited) std::this_thread::sleep_for(1ms);
  EXPECT_EQ(threads.Running(), 1) << "only the stuck worker is left";
  EXPECT_TRUE(cooperativeSawStop);

  lookupReturns.release();
  EXPECT_TRUE(threads.StopWithin(5s));
  EXPECT_EQ(threads.Running(), 0);
}

TEST(WorkerThreads, DestructionStopsAndJoins) {
  std::atomic<int> ended{0};
  {
    WorkerThreads threads;
    for (int i = 0; i < 3; ++i) {
      threads.Start([&](std::stop_token stop) {
        while (!stop.stop_requested()) std::this_thread::sleep_for(1ms);
        ++ended;
      });
    }
  }
  EXPECT_EQ(ended.load(), 3);
}

}  // namespace
}  // namespace qnc
