#include "lantest/connection_limits.h"

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
