#include "core/lantest/connection_limits.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace qnc {
namespace {

constexpr Ipv4NetOrder kFirst = 0x0100007F;   // 127.0.0.1
constexpr Ipv4NetOrder kSecond = 0x0200007F;  // 127.0.0.2

// Places count per address and in all; a place that goes away, moved or not,
// frees exactly one.
TEST(ConnectionLimitsTest, CountsPerAddressAndInAllAndFreesOnRelease) {
  ConnectionLimits limits(/*total=*/3, /*perSource=*/2);
  ConnectionLimits::Refusal refusal;
  std::vector<ConnectionLimits::Place> held;
  for (int i = 0; i < 2; ++i) {
    auto place = limits.Admit(kFirst, refusal);
    ASSERT_TRUE(place.has_value());
    held.push_back(std::move(*place));  // the moved-from place frees nothing
  }
  EXPECT_FALSE(limits.Admit(kFirst, refusal).has_value());
  EXPECT_TRUE(refusal.perSource);
  EXPECT_EQ(refusal.limit, 2);

  auto other = limits.Admit(kSecond, refusal);
  ASSERT_TRUE(other.has_value()) << "another address still gets in";
  EXPECT_FALSE(limits.Admit(kSecond, refusal).has_value());
  EXPECT_FALSE(refusal.perSource) << "now the server is full";
  EXPECT_EQ(refusal.limit, 3);

  held.pop_back();
  EXPECT_TRUE(limits.Admit(kFirst, refusal).has_value()) << "a freed place can be taken again";
  other.reset();
  held.clear();
  std::vector<ConnectionLimits::Place> again;
  for (int i = 0; i < 2; ++i) again.push_back(std::move(*limits.Admit(kFirst, refusal)));
  EXPECT_TRUE(limits.Admit(kSecond, refusal).has_value());
}

}  // namespace
}  // namespace qnc

namespace qnc {
namespace {

// Runs one window of the activity's clock in which `bytes` were moved.
void Window(ConnectionActivity& activity, std::uint32_t& now, long bytes) {
  activity.Moved(bytes);
  now += kActivityWindowMs;
  activity.Judge(now);
}

// When the server is full, a newcomer takes the place of the connection that
// moved least in its latest whole window, provided it moved less than the
// floor; connections that move, and those too young to have been judged, keep
// theirs.
TEST(ConnectionLimitsTest, ANewcomerTakesThePlaceOfTheSlowestConnection) {
  ConnectionLimits limits(/*total=*/3, /*perSource=*/2);
  ConnectionLimits::Refusal refusal;
  std::uint32_t now = 1000;
  auto young = limits.Admit(kFirst, refusal);
  auto trickling = limits.Admit(kFirst, refusal);
  auto testing = limits.Admit(kSecond, refusal);
  ASSERT_TRUE(young && trickling && testing);
  for (auto* place : {&*young, &*trickling, &*testing}) place->Activity().Judge(now);
  std::uint32_t later = now;
  Window(trickling->Activity(), now, 4);                        // a byte every half second, both ways
  Window(testing->Activity(), later, kMinBytesPerWindow * 20);  // a real test
  EXPECT_TRUE(trickling->Activity().Slow());
  EXPECT_FALSE(testing->Activity().Slow());
  EXPECT_FALSE(young->Activity().Slow()) << "not judged before its first window ends";

  std::optional<Ipv4NetOrder> displaced;
  constexpr Ipv4NetOrder kThird = 0x0300007F;
  auto newcomer = limits.Admit(kThird, refusal, &displaced);
  ASSERT_TRUE(newcomer.has_value());
  EXPECT_EQ(displaced, kFirst);
  EXPECT_TRUE(trickling->Activity().GivenUp().stop_requested()) << "the slow one is told to end";
  EXPECT_FALSE(testing->Activity().GivenUp().stop_requested());
  EXPECT_FALSE(young->Activity().GivenUp().stop_requested());

  // Nobody else is slow: the next one is turned away, and the given-up place
  // frees nothing more when its connection ends.
  displaced.reset();
  EXPECT_FALSE(limits.Admit(kThird, refusal, &displaced).has_value());
  EXPECT_FALSE(displaced.has_value());
  EXPECT_FALSE(refusal.perSource);
  trickling.reset();
  EXPECT_FALSE(limits.Admit(kThird, refusal).has_value()) << "still three places taken";
  young.reset();
  EXPECT_TRUE(limits.Admit(kFirst, refusal).has_value());
}

// A newcomer whose address already has its share is turned away for that,
// even where a slow connection of another address could make room; one that
// would take the place of its own address's connection stays within it.
TEST(ConnectionLimitsTest, TakingAPlaceKeepsTheShareOfEachAddress) {
  ConnectionLimits limits(/*total=*/2, /*perSource=*/1);
  ConnectionLimits::Refusal refusal;
  std::uint32_t now = 0;
  auto first = limits.Admit(kFirst, refusal);
  auto second = limits.Admit(kSecond, refusal);
  ASSERT_TRUE(first && second);
  second->Activity().Judge(now);
  Window(second->Activity(), now, 0);
  EXPECT_FALSE(limits.Admit(kFirst, refusal).has_value());
  EXPECT_TRUE(refusal.perSource);
  std::optional<Ipv4NetOrder> displaced;
  EXPECT_TRUE(limits.Admit(kSecond, refusal, &displaced).has_value());
  EXPECT_EQ(displaced, kSecond);
}

}  // namespace
}  // namespace qnc
