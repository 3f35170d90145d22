#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "core/lantest/throughput_meter.h"
#include "lan_test_support.h"

namespace qnc {
namespace {

using testing::FakeTicks;
using testing::WaitUntil;

// Several threads add and look for a due report while the clock moves on a
// second at a time: each second gives exactly one report, and the deltas of
// all reports plus what came after the last one add up to the totals.
TEST(ThroughputMeterThreadsTest, OneReportPerSecondAcrossThreads) {
  constexpr int kThreads = 4;
  constexpr int kSeconds = 12;
  FakeTicks ticks(0);
  ThroughputMeter meter(0);
  std::atomic<bool> done{false};
  std::atomic<int> reports{0};
  std::mutex reportsMutex;
  std::vector<MeterDeltas> taken;
  std::vector<std::atomic<long>> passes(kThreads);

  std::vector<std::jthread> workers;
  for (int i = 0; i < kThreads; ++i) {
    workers.emplace_back([&, i] {
      while (!done.load()) {
        meter.Add(3, 5);
        meter.ReportIfDue(ticks, [&](const MeterDeltas& deltas) {
          reports.fetch_add(1);
          std::lock_guard lock(reportsMutex);
          taken.push_back(deltas);
        });
        passes[static_cast<std::size_t>(i)].fetch_add(1);
      }
    });
  }

  for (int second = 1; second <= kSeconds; ++second) {
    ticks.Set(static_cast<std::uint32_t>(second) * 1000u);
    // Wait until every thread has made a pass with the new time.
    std::vector<long> seen;
    for (auto& count : passes) seen.push_back(count.load());
    ASSERT_TRUE(WaitUntil([&] {
      for (int t = 0; t < kThreads; ++t) {
        if (passes[static_cast<std::size_t>(t)].load() < seen[static_cast<std::size_t>(t)] + 2) return false;
      }
      return true;
    }));
    EXPECT_EQ(reports.load(), second);
  }
  done.store(true);
  workers.clear();

  const MeterReading reading = meter.Read();
  std::int64_t sent = 0, received = 0;
  for (const auto& deltas : taken) {
    EXPECT_GT(deltas.sent, 0);
    EXPECT_EQ(deltas.sent * 3, deltas.received * 5) << "sent and received deltas come from one snapshot";
    sent += deltas.sent;
    received += deltas.received;
  }
  EXPECT_EQ(sent, reading.sentAtReport);
  EXPECT_EQ(received, reading.receivedAtReport);
  EXPECT_EQ(reading.lastReportTick, kSeconds * 1000u);
}

}  // namespace
}  // namespace qnc
