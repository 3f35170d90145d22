// A route traced on loopback, where the destination is the first hop: the
// real sockets of both probe kinds, the reverse names off the probing thread,
// and a trace read while it runs and stopped early.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "core/route/route_trace.h"
#include "platform/icmp_socket.h"
#include "platform/tcp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

RouteRequest Loopback(std::optional<std::uint16_t> tcpPort, std::uint32_t rounds) {
  RouteRequest request;
  request.target = "127.0.0.1";
  request.tcpPort = tcpPort;
  request.options.rounds = rounds;
  request.options.interval = 50ms;
  request.options.timeout = 1000ms;
  request.options.maxTtl = 4;
  request.reverseNames = false;
  return request;
}

void ExpectOneHopReachedEveryRound(const RouteSnapshot& route, std::uint32_t rounds) {
  EXPECT_TRUE(route.error.empty()) << route.error;
  ASSERT_EQ(route.destinationTtl, 1);
  ASSERT_EQ(route.hops.size(), 1u);
  const HopSnapshot& hop = route.hops.front();
  EXPECT_TRUE(hop.isDestination);
  ASSERT_EQ(hop.responders.size(), 1u);
  EXPECT_EQ(FormatIpv4(hop.responders.front().address), "127.0.0.1");
  EXPECT_EQ(hop.figures.sent, rounds);
  EXPECT_EQ(hop.figures.lost, 0u);
  EXPECT_TRUE(hop.figures.meanMs);
}

TEST(RouteTraceLoopback, EchoReachesTheDestinationAtTheFirstHop) {
  if (!IcmpSocket::Open()) GTEST_SKIP() << "no ICMP socket here";
  RouteTrace trace(Loopback(std::nullopt, 5));
  ASSERT_TRUE(trace.WaitFinished({}));
  ExpectOneHopReachedEveryRound(trace.Snapshot(), 5);
}

TEST(RouteTraceLoopback, TcpReachesAnOpenAndAClosedPort) {
  auto listener = TcpSocket::Open();
  ASSERT_TRUE(listener && listener->Bind(*ParseDottedQuad("127.0.0.1"), 0) && listener->Listen(16));
  std::jthread acceptor([&](std::stop_token stop) {
    while (!stop.stop_requested()) listener->Accept(50, stop);
  });
  const std::uint16_t open = listener->LocalPort();
  // A port just closed: nothing listens there.
  auto closed = TcpSocket::Open();
  ASSERT_TRUE(closed && closed->Bind(*ParseDottedQuad("127.0.0.1"), 0));
  const std::uint16_t closedPort = closed->LocalPort();
  closed->Close();
  for (const std::uint16_t port : {open, closedPort}) {
    RouteTrace trace(Loopback(port, 4));
    ASSERT_TRUE(trace.WaitFinished({}));
    const RouteSnapshot route = trace.Snapshot();
    EXPECT_EQ(route.tcpPort, port);
    ExpectOneHopReachedEveryRound(route, 4);
  }
}

TEST(RouteTraceLoopback, NamesComeFromTheirOwnThreadAndASilentResolverHoldsNothingUp) {
  if (!IcmpSocket::Open()) GTEST_SKIP() << "no ICMP socket here";
  RouteRequest named = Loopback(std::nullopt, 3);
  named.reverseNames = true;
  {
    RouteTrace trace(named, OpenSystemProber, [](Ipv4NetOrder) { return std::optional<std::string>("lo.example"); });
    ASSERT_TRUE(trace.WaitFinished({}));
    // The lookup runs beside the trace; its answer shows in a later snapshot.
    std::string name;
    for (int i = 0; i < 200 && name.empty(); ++i) {
      name = trace.Snapshot().hops.at(0).responders.at(0).name;
      if (name.empty()) std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(name, "lo.example");
  }
  // A resolver that never answers: the probes go on, and the trace ends and
  // is destroyed without waiting for it.
  std::mutex mutex;
  std::condition_variable released;
  bool release = false;
  {
    RouteTrace trace(named, OpenSystemProber, [&](Ipv4NetOrder) {
      std::unique_lock lock(mutex);
      released.wait(lock, [&] { return release; });
      return std::optional<std::string>("late.example");
    });
    ASSERT_TRUE(trace.WaitFinished({}));
    const RouteSnapshot route = trace.Snapshot();
    ExpectOneHopReachedEveryRound(route, 3);
    EXPECT_EQ(route.hops.at(0).responders.at(0).name, "");
  }
  {
    std::lock_guard lock(mutex);
    release = true;
  }
  released.notify_all();
}

TEST(RouteTraceLoopback, ReadWhileRunningAndStoppedEarly) {
  if (!IcmpSocket::Open()) GTEST_SKIP() << "no ICMP socket here";
  RouteRequest endless = Loopback(std::nullopt, 0);
  RouteTrace trace(endless);
  std::uint32_t rounds = 0;
  for (int i = 0; i < 500 && rounds < 3; ++i) {
    const RouteSnapshot route = trace.Snapshot();
    rounds = route.hops.empty() ? 0 : route.hops.front().figures.sent;
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_GE(rounds, 3u);
  EXPECT_FALSE(trace.Finished());
  trace.Stop();
  EXPECT_TRUE(trace.Finished());
}

TEST(RouteTraceLoopback, NameThatDoesNotResolveIsReported) {
  RouteRequest request = Loopback(std::nullopt, 1);
  request.target = "no-such-host.invalid";
  RouteTrace trace(request, [](const RouteRequest&, Ipv4NetOrder, std::string*) -> std::unique_ptr<HopProber> {
    ADD_FAILURE() << "a prober was made for a name that does not resolve";
    return nullptr;
  });
  ASSERT_TRUE(trace.WaitFinished({}));
  EXPECT_NE(trace.Snapshot().error.find("no-such-host.invalid"), std::string::npos);
}

}  // namespace
}  // namespace qnc
