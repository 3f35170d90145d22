// Lag under load: the router's link to the client is narrow (a token bucket)
// with a deep buffer, as a home router's often is. A download from beyond the
// router fills that buffer, and the router's own ping answers wait behind it:
// the gateway's round trip grows by up to the time the full buffer takes to
// drain. The LAN client, watching the gateway, must report that.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "cli/app/lan_command.h"
#include "platform/icmp_socket.h"

namespace qnc {
namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

// 20 Mbit/s and a buffer of 150,000 bytes: a full buffer holds 60 ms.
constexpr int kRateMbit = 20;
constexpr int kBufferBytes = 150000;
constexpr double kFullBufferMs = kBufferBytes * 8.0 / (kRateMbit * 1000.0);
constexpr std::uint16_t kLanPort = 10110;

class LoadLatency : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env("QNC_LAB_OUTSIDE").empty()) GTEST_SKIP() << "not inside the lab network (run through lab_network.sh)";
    if (!IcmpSocket::Open()) GTEST_SKIP() << "no ICMP socket here";
    if (!Shell("command -v tc >/dev/null")) GTEST_SKIP() << "tc is not installed";
    // A kernel without the token bucket queue cannot build this link.
    if (!Shell("ip netns exec " + Env("QNC_LAB_ROUTER") + " tc qdisc replace dev " + Env("QNC_LAB_ROUTER_LAN") +
               " root tbf rate " + std::to_string(kRateMbit) + "mbit burst 16kb limit " +
               std::to_string(kBufferBytes))) {
      GTEST_SKIP() << "this kernel has no tbf queue";
    }
  }
  void TearDown() override {
    if (Env("QNC_LAB_OUTSIDE").empty()) return;
    Shell("ip netns exec " + Env("QNC_LAB_ROUTER") + " tc qdisc del dev " + Env("QNC_LAB_ROUTER_LAN") +
          " root 2>/dev/null");
  }
};

TEST_F(LoadLatency, ADeepBufferShowsAsTheLatencyItHolds) {
  // The LAN test server beyond the router: a thread that enters the outside
  // namespace, where the server's threads and sockets then live too.
  std::ostringstream serverOut, serverErr;
  std::jthread server([&](std::stop_token stop) {
    const int ns = ::open(("/run/netns/" + Env("QNC_LAB_OUTSIDE")).c_str(), O_RDONLY | O_CLOEXEC);
    if (ns < 0 || ::setns(ns, CLONE_NEWNET) != 0) return;
    ::close(ns);
    RunLanCommand({"lan-server", "--port", std::to_string(kLanPort)}, serverOut, serverErr, stop);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(500));

  ProbeSessionOptions pace;
  pace.ping.pauseMs = 100;
  std::ostringstream clientOut, clientErr;
  const int result = RunLanCommand({"lan-client", "--address", "10.99.0.2", "--mode", "download", "--connections", "4",
                                    "--seconds", "6", "--idle-seconds", "2", "--latency-ping", "10.77.0.1", "--json"},
                                   clientOut, clientErr, std::stop_token(), pace);
  server.request_stop();
  ASSERT_EQ(result, 0) << clientErr.str() << serverErr.str();
  const std::string json = clientOut.str();
  const auto figure = [&json](const char* name) {
    std::smatch match;
    EXPECT_TRUE(std::regex_search(json, match, std::regex(std::string("\"") + name + "\":([0-9.]+)"))) << json;
    return match.empty() ? -1.0 : std::stod(match[1]);
  };
  const double idle = figure("idle_median_ms");
  const double p95 = figure("loaded_p95_ms");
  const double most = figure("loaded_max_ms");
  const double added = figure("added_ms");
  std::printf("full buffer %.1f ms; idle %.1f ms, loaded p95 %.1f ms, max %.1f ms, added (medians) %.1f ms\n",
              kFullBufferMs, idle, p95, most, added);
  EXPECT_LT(idle, 5.0) << json;  // the quiet link adds nothing
  // TCP keeps refilling the buffer to the brim after each loss: the longest
  // loaded round trip is the full buffer's time, and their middle sits below
  // it (the queue drains a share after each loss), yet well above the quiet link.
  EXPECT_NEAR(most - idle, kFullBufferMs, kFullBufferMs * 0.2) << json;
  EXPECT_GT(p95, added) << json;
  EXPECT_GT(added, kFullBufferMs * 0.5) << json;
}

}  // namespace
}  // namespace qnc
