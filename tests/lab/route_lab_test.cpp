// Routes traced through a chain of router namespaces (route_chain.sh) broken
// on purpose: loss that starts at one router and carries on, a router that
// limits its answers while it forwards everything, delay added on one link, a
// destination that ignores pings, and a route that moves while it is traced.
// Each checks that the reading names the right hop, or blames none.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "core/route/route_reading.h"
#include "core/route/route_trace.h"
#include "lab/delay_line.h"
#include "platform/tcp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

std::string Env(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value != nullptr ? value : "";
}

std::string Ns(const std::string& node) { return Env("QNC_ROUTE_NS_PREFIX") + node; }

bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

void InNs(const std::string& ns, const std::string& command) {
  ASSERT_TRUE(Shell("ip netns exec " + ns + " " + command)) << ns << ": " << command;
}

void Nft(const std::string& ns, const std::string& rules) {
  ASSERT_TRUE(Shell("ip netns exec " + ns + " nft -f - <<'EOF'\n" + rules + "\nEOF")) << rules;
}

const Ipv4NetOrder kGateway = *ParseDottedQuad("10.200.0.1");
constexpr std::uint16_t kGamePort = 7000;
constexpr std::uint16_t kClosedPort = 7001;

// A TCP listener in the destination's namespace: the game server.
class GameServer {
 public:
  explicit GameServer(std::uint16_t port) {
    std::thread maker([&] {
      const int ns = ::open(("/run/netns/" + Ns("d")).c_str(), O_RDONLY | O_CLOEXEC);
      if (ns < 0 || ::setns(ns, CLONE_NEWNET) != 0) return;
      ::close(ns);
      auto socket = TcpSocket::Open();
      if (socket && socket->SetReuseAddress(true) && socket->Bind(0, port) && socket->Listen(64)) {
        socket_ = std::move(socket);
      }
    });
    maker.join();
    if (!socket_) throw std::runtime_error("cannot listen in the destination's namespace");
    acceptor_ = std::jthread([this](std::stop_token stop) {
      while (!stop.stop_requested()) socket_->Accept(100, stop);
    });
  }

 private:
  std::optional<TcpSocket> socket_;
  std::jthread acceptor_;
};

struct Traced {
  RouteSnapshot route;
  RouteReading reading;
};

// Probes every hop ten times a second: quick, and fast enough that the
// router left with the kernel's answer limit (r2) shows heavy loss.
RouteRequest FastRequest(std::optional<std::uint16_t> tcpPort = std::nullopt, std::uint32_t rounds = 40) {
  RouteRequest request;
  request.target = Env("QNC_ROUTE_DESTINATION");
  request.tcpPort = tcpPort;
  request.options.rounds = rounds;
  request.options.interval = 100ms;
  request.options.timeout = 1000ms;
  request.reverseNames = false;
  return request;
}

Traced TraceRoute(const RouteRequest& request) {
  RouteTrace trace(request);
  trace.WaitFinished({});
  Traced traced{trace.Snapshot(), {}};
  traced.reading = ReadRoute(traced.route, kGateway);
  return traced;
}

std::string Describe(const Traced& traced) {
  std::string text = traced.reading.headline + "\n";
  for (const HopSnapshot& hop : traced.route.hops) {
    text += std::to_string(hop.ttl) + " " + (hop.responders.empty() ? "?" : FormatIpv4(hop.responders[0].address)) +
            " loss " + std::to_string(hop.figures.lossPercent) + " median " +
            std::to_string(hop.figures.recentMedianMs.value_or(-1)) + "\n";
  }
  return text;
}

class RouteLab : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (Env("QNC_ROUTE_NS_PREFIX").empty()) return;
    // Link 3 runs through the delay line, which must relay for anything to pass.
    delay_ = std::make_unique<DelayLine>(Ns("x"), Env("QNC_ROUTE_DELAY_LEFT"), Env("QNC_ROUTE_DELAY_RIGHT"));
  }
  static void TearDownTestSuite() { delay_.reset(); }

  void SetUp() override {
    if (Env("QNC_ROUTE_NS_PREFIX").empty()) GTEST_SKIP() << "not inside the route lab (run through route_chain.sh)";
    if (Env("QNC_ROUTE_ROUTERS") != "5") GTEST_SKIP() << "the scenarios need the chain of 5 routers";
    if (!Shell("command -v nft >/dev/null")) GTEST_SKIP() << "nft is not installed";
    delay_->SetDelay(0ms);
  }
  void TearDown() override {
    if (Env("QNC_ROUTE_NS_PREFIX").empty()) return;
    for (const char* node : {"r3", "d"}) Shell("ip netns exec " + Ns(node) + " nft flush ruleset");
  }

  static std::unique_ptr<DelayLine> delay_;
};

std::unique_ptr<DelayLine> RouteLab::delay_;

TEST_F(RouteLab, HealthyChainIsFoundWholeAndNothingIsBlamed) {
  const Traced traced = TraceRoute(FastRequest());
  ASSERT_EQ(traced.route.destinationTtl, 6) << Describe(traced);
  ASSERT_EQ(traced.route.hops.size(), 6u);
  const char* expected[] = {"10.200.0.1", "10.200.1.2", "10.200.2.2", "10.200.3.2", "10.200.4.2", "10.200.5.2"};
  for (std::size_t i = 0; i < 6; ++i) {
    ASSERT_FALSE(traced.route.hops[i].responders.empty()) << i + 1;
    EXPECT_EQ(FormatIpv4(traced.route.hops[i].responders[0].address), expected[i]);
  }
  EXPECT_EQ(traced.reading.hops[0].segment, RouteSegment::kHome);
  EXPECT_EQ(traced.reading.hops[5].segment, RouteSegment::kDestinationNetwork);
  EXPECT_EQ(traced.reading.finding, RouteFinding::kAllWell) << Describe(traced);
}

// (b) r2 keeps the kernel's limit of about one answer a second to us; probed
// ten times a second it drops most probes to itself, while every later hop
// answers all of its own.
TEST_F(RouteLab, RateLimitedHopIsExplainedNotBlamed) {
  const Traced traced = TraceRoute(FastRequest());
  ASSERT_EQ(traced.route.hops.size(), 6u) << Describe(traced);
  EXPECT_TRUE(traced.route.fastPace);
  EXPECT_GT(traced.route.hops[1].figures.lossPercent, 30) << Describe(traced);
  EXPECT_TRUE(traced.reading.hops[1].lossNotCarried) << Describe(traced);
  EXPECT_EQ(traced.reading.hops[1].note, kRateLimitedNote);
  EXPECT_EQ(traced.reading.finding, RouteFinding::kAllWell) << Describe(traced);
  EXPECT_FALSE(traced.reading.troubleTtl);
}

// (a) r3 drops a quarter of what reaches it from r2: the probes that end at
// r3 and all those it would forward.
TEST_F(RouteLab, LossStartingAtHopThreeIsBlamedThere) {
  Nft(Ns("r3"),
      "table ip qnc_loss {\n chain pre {\n  type filter hook prerouting priority -300; policy accept;\n"
      "  iifname \"" +
          Env("QNC_ROUTE_LEFT_IF_3") + "\" numgen random mod 100 < 25 drop\n }\n}");
  const Traced traced = TraceRoute(FastRequest());
  EXPECT_EQ(traced.reading.finding, RouteFinding::kLoss) << Describe(traced);
  EXPECT_EQ(traced.reading.troubleTtl, 3) << Describe(traced);
  EXPECT_NE(traced.reading.headline.find("第3跳"), std::string::npos) << traced.reading.headline;
}

// (c) 60 ms added on the link from r3 to r4: hop 4 and every hop after it keep it.
TEST_F(RouteLab, LatencyStepAtHopFourIsBlamedThere) {
  delay_->SetDelay(60ms);
  const Traced traced = TraceRoute(FastRequest(std::nullopt, 20));
  EXPECT_EQ(traced.reading.finding, RouteFinding::kLatencyStep) << Describe(traced);
  EXPECT_EQ(traced.reading.troubleTtl, 4) << Describe(traced);
  ASSERT_EQ(traced.route.hops.size(), 6u);
  EXPECT_GE(*traced.route.hops[3].figures.recentMedianMs, 60.0) << Describe(traced);
  EXPECT_LT(*traced.route.hops[2].figures.recentMedianMs, 30.0) << Describe(traced);
}

// (d) The destination drops echo requests: the ICMP trace ends at the last
// router, while the TCP trace to the game's port (open or closed) reaches it.
TEST_F(RouteLab, DestinationIgnoringPingIsReachedByTcp) {
  Nft(Ns("d"),
      "table ip qnc_noping {\n chain input {\n  type filter hook input priority 0; policy accept;\n"
      "  icmp type echo-request drop\n }\n}");
  GameServer server(kGamePort);
  const Traced icmp = TraceRoute(FastRequest(std::nullopt, 15));
  EXPECT_EQ(icmp.reading.finding, RouteFinding::kDestinationSilent) << Describe(icmp);
  EXPECT_FALSE(icmp.route.destinationTtl);
  EXPECT_EQ(icmp.route.hops.size(), 5u) << Describe(icmp);
  for (const std::uint16_t port : {kGamePort, kClosedPort}) {
    const Traced tcp = TraceRoute(FastRequest(port, 15));
    EXPECT_EQ(tcp.route.destinationTtl, 6) << port << "\n" << Describe(tcp);
    ASSERT_EQ(tcp.route.hops.size(), 6u) << port << "\n" << Describe(tcp);
    EXPECT_EQ(FormatIpv4(tcp.route.hops[3].responders.at(0).address), "10.200.3.2");
    EXPECT_EQ(tcp.route.hops[5].figures.lost, 0u) << port;
    EXPECT_NE(tcp.reading.finding, RouteFinding::kDestinationSilent) << port << "\n" << Describe(tcp);
  }
}

// r2 sends everything beyond it through the alternate router r3b, and r4 sends
// the way back through it, while the route is being traced.
TEST_F(RouteLab, RouteMovedMidRunIsRecorded) {
  if (!Shell("ip netns exec " + Ns("r3b") + " true 2>/dev/null")) GTEST_SKIP() << "no alternate router";
  RouteRequest request = FastRequest(std::nullopt, 40);
  RouteTrace trace(request);
  std::this_thread::sleep_for(1500ms);
  for (int j = 3; j <= 5; ++j) InNs(Ns("r2"), "ip route replace 10.200." + std::to_string(j) + ".0/24 via 10.201.2.2");
  for (int j = 0; j <= 2; ++j) InNs(Ns("r4"), "ip route replace 10.200." + std::to_string(j) + ".0/24 via 10.201.3.1");
  const auto movedAt = std::chrono::system_clock::now();
  trace.WaitFinished({});
  const RouteSnapshot route = trace.Snapshot();
  // Put the chain back for the scenarios after this one.
  for (int j = 3; j <= 5; ++j) InNs(Ns("r2"), "ip route replace 10.200." + std::to_string(j) + ".0/24 via 10.200.2.2");
  for (int j = 0; j <= 2; ++j) InNs(Ns("r4"), "ip route replace 10.200." + std::to_string(j) + ".0/24 via 10.200.3.1");
  ASSERT_FALSE(route.changes.empty());
  const RouteChange& change = route.changes.front();
  EXPECT_EQ(change.ttl, 3) << change.text;
  EXPECT_EQ(FormatIpv4(change.after), "10.201.2.2") << change.text;
  EXPECT_GE(change.at, movedAt - 200ms);
  ASSERT_GE(route.hops.size(), 3u);
  EXPECT_EQ(route.hops[2].responders.size(), 2u);
}

// Without rights for a raw socket the trace runs on an ICMP datagram socket,
// where the routers' errors come through the socket's error queue.
TEST_F(RouteLab, UnprivilegedTraceUsesTheErrorQueue) {
  if (!Shell("command -v setpriv >/dev/null")) GTEST_SKIP() << "setpriv is not installed";
  InNs(Ns("c"), "sysctl -qw net.ipv4.ping_group_range='0 2147483647'");
  const std::string command = std::string("setpriv --reuid=65534 --regid=65534 --clear-groups ") + QNC_PROBE_BINARY +
                              " trace " + Env("QNC_ROUTE_DESTINATION") + " --count 5 --interval 100 --no-names --json";
  std::FILE* pipe = ::popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char chunk[4096];
  while (const std::size_t got = std::fread(chunk, 1, sizeof chunk, pipe)) output.append(chunk, got);
  EXPECT_EQ(::pclose(pipe), 0) << output;
  EXPECT_NE(output.find("\"destination_ttl\":6"), std::string::npos) << output;
  EXPECT_NE(output.find("\"address\":\"10.200.2.2\""), std::string::npos) << output;
}

}  // namespace
}  // namespace qnc
