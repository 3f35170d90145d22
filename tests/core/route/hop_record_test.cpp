#include "core/route/hop_record.h"

#include <gtest/gtest.h>

#include <vector>

namespace qnc {
namespace {

const Ipv4NetOrder kA = *ParseDottedQuad("10.0.0.1");
const Ipv4NetOrder kB = *ParseDottedQuad("10.0.0.2");

TEST(HopRecord, FiguresOfAnsweredAndLostProbes) {
  HopRecord hop(100);
  // Round trips 10, 14, lost, 12, 20 ms.
  hop.RecordAnswer(kA, 10000);
  hop.RecordAnswer(kA, 14000);
  hop.RecordLoss();
  hop.RecordAnswer(kA, 12000);
  hop.RecordAnswer(kA, 20000);
  const HopFigures f = hop.Figures();
  EXPECT_EQ(f.sent, 5u);
  EXPECT_EQ(f.lost, 1u);
  EXPECT_DOUBLE_EQ(f.lossPercent, 20.0);
  EXPECT_DOUBLE_EQ(*f.lastMs, 20.0);
  EXPECT_DOUBLE_EQ(*f.meanMs, 14.0);
  EXPECT_DOUBLE_EQ(*f.bestMs, 10.0);
  EXPECT_DOUBLE_EQ(*f.worstMs, 20.0);
  // Sample standard deviation of 10, 14, 12, 20: squares 16 + 0 + 4 + 36 = 56, / 3.
  EXPECT_NEAR(*f.stdDevMs, 4.3205, 1e-3);
  // Jitter: successive answered differences 4, 2, 8 -> 14 / 3.
  EXPECT_NEAR(*f.jitterMs, 14.0 / 3, 1e-9);
  EXPECT_EQ(f.recentUs, (std::vector<std::int32_t>{10000, 14000, kLostSample, 12000, 20000}));
  EXPECT_DOUBLE_EQ(*f.recentMedianMs, 14.0);
  EXPECT_DOUBLE_EQ(f.recentLossPercent, 20.0);
}

TEST(HopRecord, SilentHopHasNoRoundTrips) {
  HopRecord hop(10);
  hop.RecordLoss();
  hop.RecordLoss();
  const HopFigures f = hop.Figures();
  EXPECT_DOUBLE_EQ(f.lossPercent, 100.0);
  EXPECT_FALSE(f.meanMs);
  EXPECT_FALSE(f.jitterMs);
  EXPECT_FALSE(f.recentMedianMs);
  EXPECT_TRUE(hop.Responders().empty());
}

TEST(HopRecord, RingKeepsTheNewestSamplesOldestFirstWhileTotalsCoverAll) {
  HopRecord hop(3);
  for (int ms = 1; ms <= 7; ++ms) hop.RecordAnswer(kA, ms * 1000);
  const HopFigures f = hop.Figures();
  EXPECT_EQ(f.recentUs, (std::vector<std::int32_t>{5000, 6000, 7000}));
  EXPECT_EQ(f.sent, 7u);
  EXPECT_DOUBLE_EQ(*f.meanMs, 4.0);
  EXPECT_DOUBLE_EQ(*f.bestMs, 1.0);
}

TEST(HopRecord, BalancedHopKeepsEveryResponderMostAnswersFirst) {
  HopRecord hop(10);
  hop.RecordAnswer(kA, 1000);
  hop.RecordAnswer(kB, 1000);
  hop.RecordAnswer(kB, 1000);
  ASSERT_EQ(hop.Responders().size(), 2u);
  EXPECT_EQ(hop.Responders()[0].address, kB);
  EXPECT_EQ(hop.Responders()[0].answers, 2u);
  EXPECT_EQ(hop.Responders()[1].address, kA);
  hop.Name(kA, "a.example");
  EXPECT_EQ(hop.Responders()[1].name, "a.example");
}

}  // namespace
}  // namespace qnc
