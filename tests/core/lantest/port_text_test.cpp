#include "core/lantest/port_text.h"

#include <gtest/gtest.h>

#include <climits>

namespace qnc {
namespace {

TEST(PortTextTest, ReadsLikeAtoi) {
  const struct {
    const char* text;
    int value;
  } cases[] = {
      {"10110", 10110},
      {"  42abc", 42},
      {"\t+7", 7},
      {"-5", -5},
      {"", 0},
      {"abc", 0},
      {"- 5", 0},
      {"70000", 70000},
      {"99999999999", INT_MAX},
      {"-99999999999", INT_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadPortNumber(c.text), c.value) << '"' << c.text << '"';
}

TEST(PortTextTest, SocketUsesTheLow16Bits) {
  EXPECT_EQ(SocketPort(10110), 10110);
  EXPECT_EQ(SocketPort(70000), 4464);
  EXPECT_EQ(SocketPort(-1), 65535);
  EXPECT_EQ(SocketPort(0), 0);
}

}  // namespace
}  // namespace qnc
