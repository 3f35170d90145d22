#include <gtest/gtest.h>

#include <vector>

#include "core/lantest/log_lines.h"
#include "core/lantest/throughput_meter.h"
#include "lan_test_support.h"

namespace qnc {
namespace {

using testing::FakeTicks;

TEST(FormatRateTest, PicksUnitAndFormat) {
  const struct {
    std::int64_t bytes;
    const char* text;
  } cases[] = {
      {0, "0B"},
      {1024, "1024B"},
      {1025, "1.00K "},
      {1536, "1.50K "},
      {1048576, "1024.00K "},
      {1048577, "1.00M "},
      {10485760, "10.00M "},
      {-5, "-5B"},
      {5LL * 1024 * 1048576, "5120.00M "},
  };
  for (const auto& c : cases) EXPECT_EQ(FormatRate(c.bytes), c.text) << c.bytes;
}

TEST(ReportLineTest, TimeStampPadsWithBlanks) {
  EXPECT_EQ(FormatTimeStamp({9, 5, 7}), " 9: 5: 7");
  EXPECT_EQ(FormatTimeStamp({23, 59, 0}), "23:59: 0");
}

TEST(ReportLineTest, ServerNamesSentFirstClientReceivedFirst) {
  const MeterDeltas deltas{1572864, 1024};
  EXPECT_EQ(ServerReportLine({9, 5, 7}, deltas), " 9: 5: 7 当前速率 发：1.50M    收：1024B\r\n");
  EXPECT_EQ(ClientReportLine({9, 5, 7}, deltas), " 9: 5: 7 当前速率:  收：1024B  发：1.50M \r\n");
}

struct Taken {
  bool due = false;
  MeterDeltas deltas;
};

Taken TakeReport(ThroughputMeter& meter, const FakeTicks& ticks) {
  Taken taken;
  taken.due = meter.ReportIfDue(ticks, [&](const MeterDeltas& deltas) { taken.deltas = deltas; });
  return taken;
}

TEST(ThroughputMeterTest, ReportsDeltasSinceThePreviousReport) {
  FakeTicks ticks(5000);
  ThroughputMeter meter(5000);
  meter.Add(100, 10);
  ticks.Set(5999);
  EXPECT_FALSE(TakeReport(meter, ticks).due);

  ticks.Set(6000);
  auto first = TakeReport(meter, ticks);
  ASSERT_TRUE(first.due);
  EXPECT_EQ(first.deltas.received, 100);
  EXPECT_EQ(first.deltas.sent, 10);
  EXPECT_FALSE(TakeReport(meter, ticks).due) << "the report moved lastReportTick";

  meter.Add(7, 3);
  meter.Add(1, -1);  // a failed send adds nothing
  ticks.Set(9500);   // several quiet seconds: the next line covers the whole gap
  auto second = TakeReport(meter, ticks);
  ASSERT_TRUE(second.due);
  EXPECT_EQ(second.deltas.received, 8);
  EXPECT_EQ(second.deltas.sent, 3);

  const MeterReading reading = meter.Read();
  EXPECT_EQ(reading.lastReportTick, 9500u);
  EXPECT_EQ(reading.receivedTotal, 108);
  EXPECT_EQ(reading.sentAtReport, 13);
}

TEST(ThroughputMeterTest, KeepsTheSecondAcrossTheTickWrap) {
  FakeTicks ticks(0xFFFFFF00u);
  ThroughputMeter meter(0xFFFFFF00u);
  meter.Add(1, 1);
  ticks.Set(0x000001F0u);  // 752 ms later, after the wrap
  EXPECT_FALSE(TakeReport(meter, ticks).due);
  ticks.Set(0x000002E8u);  // 1000 ms later
  EXPECT_TRUE(TakeReport(meter, ticks).due);
  ticks.Set(0x000006D0u);  // another 1000 ms
  EXPECT_TRUE(TakeReport(meter, ticks).due);
}

TEST(ThroughputMeterTest, LastReportTickSetFromOutsideDelaysTheReport) {
  FakeTicks ticks(10000);
  ThroughputMeter meter(0);
  meter.Add(5, 5);
  meter.SetLastReportTick(9500);
  EXPECT_FALSE(TakeReport(meter, ticks).due);
  ticks.Set(10500);
  EXPECT_TRUE(TakeReport(meter, ticks).due);
}

}  // namespace
}  // namespace qnc
