#include "platform/ip_config.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ipv4.h"

namespace qnc {
namespace {

class Fixtures : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& text) {
    const auto path = dir_ / name;
    std::ofstream(path) << text;
    return path.string();
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::filesystem::path dir_ = [] {
    auto dir = std::filesystem::temp_directory_path() /
               ("qnc-ipconfig-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir);
    return dir;
  }();
};

constexpr const char* kRouteHeading =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

TEST_F(Fixtures, GatewayIsTheFirstNonZeroGatewayInFileOrder) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"eth0\t00000000\t0102A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n", "192.168.2.1"},
      {"eth0\t0000A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
       "eth1\t00000000\t014D0A0A\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
       "eth2\t00000000\t0102A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n",
       "10.10.77.1"},
      {"eth0\t0000A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n", ""},
      {"garbage line\n", ""},
  };
  for (const auto& [routes, gateway] : cases) {
    EXPECT_EQ(FindGatewayAddress(Write("route", kRouteHeading + routes)), gateway) << routes;
  }
  EXPECT_EQ(FindGatewayAddress((dir_ / "missing").string()), "");
}

TEST_F(Fixtures, SystemDnsServerFromResolvConf) {
  const std::string upstream = Write("upstream", "nameserver 10.0.0.53\nnameserver 10.0.0.54\n");
  struct Case {
    const char* name;
    std::string resolvConf;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {"first IPv4 server", "# comment\nsearch lan\nnameserver 192.168.1.1\nnameserver 8.8.8.8\n", "192.168.1.1"},
      {"IPv6 servers are passed over", "nameserver fe80::1\nnameserver 192.168.1.9\n", "192.168.1.9"},
      {"only the resolved stub: its upstream", "nameserver 127.0.0.53\noptions edns0\n", "10.0.0.53"},
      {"stub beside a real server is kept", "nameserver 127.0.0.53\nnameserver 192.168.1.1\n", "127.0.0.53"},
      {"no server", "search lan\n", "unchanged"},
  };
  for (const Case& c : cases) {
    std::string server = "unchanged";
    EXPECT_EQ(FindSystemDnsServer(server, Write("resolv.conf", c.resolvConf), upstream), 1) << c.name;
    EXPECT_EQ(server, c.expected) << c.name;
  }
  std::string server = "unchanged";
  EXPECT_EQ(FindSystemDnsServer(server, (dir_ / "missing").string(), upstream), 0);
  EXPECT_EQ(server, "unchanged");
  // The stub without a readable upstream list stays the answer.
  EXPECT_EQ(FindSystemDnsServer(server, Write("stub", "nameserver 127.0.0.53\n"), (dir_ / "none").string()), 1);
  EXPECT_EQ(server, "127.0.0.53");
}

TEST(Ipv4, InetAddrAndFormatting) {
  EXPECT_EQ(FormatIpv4(InetAddr("192.168.1.20")), "192.168.1.20");
  EXPECT_EQ(InetAddr("not an address"), kAllOnesAddress);
  EXPECT_EQ(InetAddr(""), kAllOnesAddress);
  EXPECT_FALSE(ParseDottedQuad("1.2.3"));
  EXPECT_FALSE(ParseDottedQuad("256.1.1.1"));
  EXPECT_TRUE(IsLoopback(*ParseDottedQuad("127.9.9.9")));
  EXPECT_FALSE(IsLoopback(*ParseDottedQuad("128.0.0.1")));
}

}  // namespace
}  // namespace qnc
