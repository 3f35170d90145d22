#include "core/probe/host_port.h"

#include <gtest/gtest.h>

#include <vector>

namespace qnc {
namespace {

TEST(HostPort, SplitsAtTheFirstColonLikeAtoi) {
  const std::vector<std::tuple<std::string, std::string, int>> cases = {
      {"example.com", "example.com", 80},
      {"example.com:443", "example.com", 443},
      {"example.com:", "example.com", 0},
      {"example.com:abc", "example.com", 0},
      {"example.com:65616", "example.com", 80},  // low 16 bits
      {"example.com:8080/x", "example.com", 8080},
      {"a:1:2", "a", 1},
      {"a:  77", "a", 77},
      {"a:+9", "a", 9},
      {"a:-1", "a", 65535},
      {":443", "", 443},
      {"", "", 80},
  };
  for (const auto& [text, host, port] : cases) {
    const HostPort split = SplitHostPort(text);
    EXPECT_EQ(split.host, host) << text;
    EXPECT_EQ(split.port, port) << text;
  }
}

}  // namespace
}  // namespace qnc
