#include "core/route/route_tracer.h"

#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "core/route/scripted_route.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

std::vector<ScriptedHop> Chain(int length) {
  std::vector<ScriptedHop> hops;
  for (int i = 1; i <= length; ++i) {
    hops.push_back({{Address(("10.0." + std::to_string(i) + ".1").c_str())}, 1000 * i, {}});
  }
  return hops;
}

RouteSnapshot Trace(ScriptedRoute& route, TraceOptions options) {
  RouteTracer tracer(route, options, route.Clock());
  tracer.Run({});
  RouteSnapshot snapshot;
  tracer.Fill(snapshot);
  return snapshot;
}

TEST(RouteTracer, FindsTheDestinationAndNeverProbesBeyondIt) {
  ScriptedRoute route(Chain(4));
  TraceOptions options;
  options.rounds = 5;
  const RouteSnapshot snapshot = Trace(route, options);
  ASSERT_EQ(snapshot.destinationTtl, 4);
  ASSERT_EQ(snapshot.hops.size(), 4u);
  EXPECT_TRUE(snapshot.hops[3].isDestination);
  for (const HopSnapshot& hop : snapshot.hops) {
    EXPECT_EQ(hop.figures.sent, 5u) << hop.ttl;
    EXPECT_EQ(hop.figures.lost, 0u) << hop.ttl;
    ASSERT_EQ(hop.responders.size(), 1u);
    // Each hop's scripted delay comes back as its round trip.
    EXPECT_DOUBLE_EQ(*hop.figures.meanMs, hop.ttl * 1.0) << hop.ttl;
  }
  // The first round goes out TTL by TTL and stops once the destination answered.
  for (const SentProbe& probe : route.sent) EXPECT_LE(probe.ttl, 4);
}

TEST(RouteTracer, AsksEachHopAtMostOncePerInterval) {
  ScriptedRoute route(Chain(6));
  for (const auto interval : {1000ms, 250ms}) {
    route.sent.clear();
    TraceOptions options;
    options.rounds = 8;
    options.interval = interval;
    Trace(route, options);
    std::map<int, std::vector<std::int64_t>> byTtl;
    for (const SentProbe& probe : route.sent) byTtl[probe.ttl].push_back(probe.atUs);
    for (const auto& [ttl, times] : byTtl) {
      EXPECT_EQ(times.size(), 8u) << ttl;
      for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], interval.count() * 1000) << "ttl " << ttl;
      }
    }
  }
}

TEST(RouteTracer, CountsUnansweredProbesAsLostAtTheirHop) {
  std::vector<ScriptedHop> hops = Chain(3);
  hops[1].answers = [](std::uint32_t n) { return n % 2 == 0; };  // every other probe
  hops[2].answers = [](std::uint32_t n) { return n % 4 != 3; };  // one in four lost
  ScriptedRoute route(hops);
  TraceOptions options;
  options.rounds = 8;
  options.interval = 100ms;
  const RouteSnapshot snapshot = Trace(route, options);
  ASSERT_EQ(snapshot.hops.size(), 3u);
  EXPECT_EQ(snapshot.hops[0].figures.lost, 0u);
  EXPECT_EQ(snapshot.hops[1].figures.lost, 4u);
  EXPECT_EQ(snapshot.hops[2].figures.lost, 2u);
  EXPECT_EQ(snapshot.hops[2].figures.sent, 8u);
}

TEST(RouteTracer, BalancedHopKeepsBothAddressesWithoutCallingItARouteChange) {
  std::vector<ScriptedHop> hops = Chain(4);
  hops[1].addresses = {Address("10.0.2.1"), Address("10.0.2.2")};
  ScriptedRoute route(hops);
  TraceOptions options;
  options.rounds = 10;
  const RouteSnapshot snapshot = Trace(route, options);
  ASSERT_EQ(snapshot.hops[1].responders.size(), 2u);
  EXPECT_EQ(snapshot.hops[1].responders[0].answers + snapshot.hops[1].responders[1].answers, 10u);
  EXPECT_TRUE(snapshot.changes.empty());
}

TEST(RouteTracer, LinkOfABalancedHopShowingLateIsNoRouteChange) {
  std::vector<ScriptedHop> hops = Chain(4);
  ScriptedRoute route(hops);
  TraceOptions options;
  options.rounds = 20;
  RouteTracer tracer(route, options, route.Clock());
  bool balanced = false;
  while (const auto wait = tracer.Advance()) {
    // After six rounds hop 2 starts answering from two links in turn.
    if (!balanced && route.sent.size() >= 6 * 4) {
      balanced = true;
      route.SetHop(1, {{Address("10.0.2.1"), Address("10.0.2.2")}, 2000, {}});
    }
    if (const auto answer = route.Wait(*wait, {})) tracer.Accept(*answer);
  }
  RouteSnapshot snapshot;
  tracer.Fill(snapshot);
  EXPECT_EQ(snapshot.hops[1].responders.size(), 2u);
  EXPECT_TRUE(snapshot.changes.empty()) << snapshot.changes.front().text;
}

TEST(RouteTracer, RecordsARouteChangeWithItsTime) {
  ScriptedRoute route(Chain(5));
  TraceOptions options;
  options.rounds = 12;
  RouteTracer tracer(route, options, route.Clock());
  std::int64_t changedAt = 0;
  while (const auto wait = tracer.Advance()) {
    // After six rounds hops 3 and 4 move to another provider's routers.
    if (changedAt == 0 && route.sent.size() >= 6 * 5) {
      changedAt = route.nowUs;
      route.SetHop(2, {{Address("10.9.3.1")}, 3000, {}});
      route.SetHop(3, {{Address("10.9.4.1")}, 4000, {}});
    }
    if (const auto answer = route.Wait(*wait, {})) tracer.Accept(*answer);
  }
  RouteSnapshot snapshot;
  tracer.Fill(snapshot);
  ASSERT_EQ(snapshot.changes.size(), 1u);
  const RouteChange& change = snapshot.changes.front();
  EXPECT_EQ(change.ttl, 3);
  EXPECT_EQ(change.before, std::vector<Ipv4NetOrder>{Address("10.0.3.1")});
  EXPECT_EQ(change.after, Address("10.9.3.1"));
  EXPECT_GE(change.at.time_since_epoch(), std::chrono::microseconds(changedAt));
  EXPECT_NE(change.text.find("2 跳"), std::string::npos) << change.text;
  EXPECT_EQ(snapshot.hops[2].responders.size(), 2u);
}

TEST(RouteTracer, DestinationThatIgnoresProbesLeavesTheAnsweringHops) {
  ScriptedRoute route(Chain(4));
  route.destinationSilent = true;
  TraceOptions options;
  options.rounds = 3;
  options.maxTtl = 8;
  options.interval = 200ms;
  options.timeout = 500ms;
  const RouteSnapshot snapshot = Trace(route, options);
  EXPECT_FALSE(snapshot.destinationTtl);
  // TTL 4 to 8 all reach the silent destination: nothing after hop 3 answered.
  ASSERT_EQ(snapshot.hops.size(), 3u);
  EXPECT_EQ(snapshot.hops[2].figures.lost, 0u);
  int highest = 0;
  for (const SentProbe& probe : route.sent) highest = std::max(highest, probe.ttl);
  EXPECT_EQ(highest, 8);
}

TEST(RouteTracer, AnswersToUnknownOrExpiredProbesAreIgnored) {
  ScriptedRoute route(Chain(2));
  TraceOptions options;
  options.rounds = 2;
  RouteTracer tracer(route, options, route.Clock());
  tracer.Accept(HopAnswer{999, Address("10.6.6.6"), true});  // nothing of ours is in flight
  tracer.Run({});
  tracer.Accept(HopAnswer{1, Address("10.6.6.6"), true});  // long after it timed out or was answered
  RouteSnapshot snapshot;
  tracer.Fill(snapshot);
  ASSERT_EQ(snapshot.hops.size(), 2u);
  for (const HopSnapshot& hop : snapshot.hops) {
    EXPECT_EQ(hop.figures.sent, 2u);
    ASSERT_EQ(hop.responders.size(), 1u);
    EXPECT_NE(hop.responders[0].address, Address("10.6.6.6"));
  }
}

TEST(RouteTracer, DestinationAnswerLostWhileTheRouteIsFoundIsNoRouteChange) {
  std::vector<ScriptedHop> hops = Chain(4);
  // The first probe to reach the destination (TTL 4) is lost, the next (TTL 5) answered.
  hops[3].answers = [](std::uint32_t n) { return n != 0; };
  ScriptedRoute route(hops);
  TraceOptions options;
  options.rounds = 5;
  const RouteSnapshot snapshot = Trace(route, options);
  EXPECT_EQ(snapshot.destinationTtl, 4);
  EXPECT_EQ(snapshot.hops.size(), 4u);
  EXPECT_TRUE(snapshot.changes.empty()) << snapshot.changes.front().text;
}

TEST(RouteTracer, ShorterRouteDropsTheHopsBeyondTheNewDestination) {
  ScriptedRoute route(Chain(5));
  TraceOptions options;
  options.rounds = 8;
  RouteTracer tracer(route, options, route.Clock());
  bool shortened = false;
  while (const auto wait = tracer.Advance()) {
    if (!shortened && route.sent.size() >= 3 * 5) {
      shortened = true;
      route.SetHop(2, {{Address("10.0.5.1")}, 3000, {}});  // the destination now answers at TTL 3
      route.SetHop(3, {{Address("10.0.5.1")}, 3000, {}});
      route.SetHop(4, {{Address("10.0.5.1")}, 3000, {}});
    }
    if (auto answer = route.Wait(*wait, {})) {
      if (answer->from == Address("10.0.5.1")) answer->reachedDestination = true;
      tracer.Accept(*answer);
    }
  }
  RouteSnapshot snapshot;
  tracer.Fill(snapshot);
  EXPECT_EQ(snapshot.destinationTtl, 3);
  EXPECT_EQ(snapshot.hops.size(), 3u);
  ASSERT_FALSE(snapshot.changes.empty());
  EXPECT_EQ(snapshot.changes.front().ttl, 3);
}

}  // namespace
}  // namespace qnc
