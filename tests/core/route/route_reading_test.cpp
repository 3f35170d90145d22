// The reading of a route: which hop's trouble carries on to the destination
// and is blamed, which stays with the hop (a router answering sparingly or
// slowly) and is only explained, and which stretch of the route each hop is in.
#include "core/route/route_reading.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qnc {
namespace {

struct HopSpec {
  const char* address;  // nullptr: never answers
  double lossPercent;
  double medianMs;
};

RouteSnapshot Route(const std::vector<HopSpec>& hops, bool destinationAnswers = true, std::uint32_t sent = 100) {
  RouteSnapshot route;
  route.target = "game.example";
  for (std::size_t i = 0; i < hops.size(); ++i) {
    HopSnapshot hop;
    hop.ttl = static_cast<int>(i + 1);
    hop.figures.sent = sent;
    if (hops[i].address == nullptr) {
      hop.figures.lost = sent;
      hop.figures.lossPercent = 100;
    } else {
      hop.responders.push_back({*ParseDottedQuad(hops[i].address), "", sent});
      hop.figures.lost = static_cast<std::uint32_t>(sent * hops[i].lossPercent / 100);
      hop.figures.lossPercent = hops[i].lossPercent;
      hop.figures.recentMedianMs = hop.figures.meanMs = hops[i].medianMs;
      hop.figures.jitterMs = 1;
    }
    route.hops.push_back(hop);
  }
  if (destinationAnswers) {
    route.hops.back().isDestination = true;
    route.destinationTtl = route.hops.back().ttl;
    route.destination = route.hops.back().responders.front().address;
  }
  route.rounds = sent;
  return route;
}

struct Case {
  std::string name;
  RouteSnapshot route;
  RouteFinding finding;
  std::optional<int> troubleTtl;
  std::vector<int> rateLimited;  // hops with the note that their own loss does not carry on
};

TEST(RouteReading, BlamesOnlyTroubleThatCarriesOnToTheDestination) {
  const std::vector<Case> cases = {
      {"loss from hop 3 on",
       Route({{"10.1.0.1", 0, 1},
              {"10.2.0.1", 0, 2},
              {"10.3.0.1", 20, 3},
              {"10.4.0.1", 22, 4},
              {"10.5.0.1", 19, 5},
              {"10.6.0.9", 21, 6}}),
       RouteFinding::kLoss,
       3,
       {}},
      {"hop 2 answers sparingly, the path is clean",
       Route({{"10.1.0.1", 0, 1}, {"10.2.0.1", 40, 2}, {"10.3.0.1", 0, 3}, {"10.4.0.9", 0, 4}}),
       RouteFinding::kAllWell,
       std::nullopt,
       {2}},
      {"ten rounds of loss from hop 3 on, a later hop lucky enough to lose none",
       Route({{"10.1.0.1", 0, 1},
              {"10.2.0.1", 0, 2},
              {"10.3.0.1", 30, 3},
              {"10.4.0.1", 20, 4},
              {"10.5.0.1", 0, 5},
              {"10.6.0.9", 10, 6}},
             true, 10),
       RouteFinding::kLoss,
       3,
       {}},
      {"ten rounds, hop 2 answers sparingly",
       Route({{"10.1.0.1", 0, 1}, {"10.2.0.1", 70, 2}, {"10.3.0.1", 0, 3}, {"10.4.0.9", 0, 4}}, true, 10),
       RouteFinding::kAllWell,
       std::nullopt,
       {2}},
      {"hop 2 answers sparingly, and real loss starts at hop 3",
       Route({{"10.1.0.1", 0, 1}, {"10.2.0.1", 75, 2}, {"10.3.0.1", 25, 3}, {"10.4.0.1", 22, 4}, {"10.5.0.9", 24, 5}}),
       RouteFinding::kLoss,
       3,
       {2}},
      {"hop 2 answers sparingly and real loss starts at hop 4",
       Route({{"10.1.0.1", 0, 1}, {"10.2.0.1", 60, 2}, {"10.3.0.1", 1, 3}, {"10.4.0.1", 10, 4}, {"10.5.0.9", 11, 5}}),
       RouteFinding::kLoss,
       4,
       {2}},
      {"loss at a hop that the destination does not share",
       Route({{"10.1.0.1", 0, 1}, {"10.2.0.1", 15, 2}, {"10.3.0.1", 15, 3}, {"10.4.0.9", 0, 4}}),
       RouteFinding::kAllWell,
       std::nullopt,
       {2, 3}},
      {"latency step at hop 4 that stays",
       Route({{"10.1.0.1", 0, 1},
              {"10.2.0.1", 0, 2},
              {"10.3.0.1", 0, 3},
              {"10.4.0.1", 0, 83},
              {"10.5.0.1", 0, 84},
              {"10.6.0.9", 0, 85}}),
       RouteFinding::kLatencyStep,
       4,
       {}},
      {"a slow router that later hops do not keep",
       Route({{"10.1.0.1", 0, 1}, {"10.2.0.1", 0, 150}, {"10.3.0.1", 0, 3}, {"10.4.0.9", 0, 4}}),
       RouteFinding::kAllWell,
       std::nullopt,
       {}},
      {"a hop that never answers between healthy ones",
       Route({{"10.1.0.1", 0, 1}, {nullptr, 0, 0}, {"10.3.0.1", 0, 3}, {"10.4.0.9", 0, 4}}),
       RouteFinding::kAllWell,
       std::nullopt,
       {}},
      {"destination ignores the probes",
       Route({{"10.1.0.1", 0, 1}, {"10.2.0.1", 0, 2}, {"10.3.0.1", 0, 3}}, false),
       RouteFinding::kDestinationSilent,
       std::nullopt,
       {}},
      {"too few rounds",
       Route({{"10.1.0.1", 50, 1}, {"10.2.0.9", 50, 2}}, true, 4),
       RouteFinding::kTooFewRounds,
       std::nullopt,
       {}},
      {"nothing answers", Route({{nullptr, 0, 0}, {nullptr, 0, 0}}, false), RouteFinding::kNoAnswer, std::nullopt, {}},
  };
  for (const Case& c : cases) {
    const RouteReading reading = ReadRoute(c.route, std::nullopt);
    EXPECT_EQ(reading.finding, c.finding) << c.name << ": " << reading.headline;
    EXPECT_EQ(reading.troubleTtl, c.troubleTtl) << c.name << ": " << reading.headline;
    EXPECT_FALSE(reading.headline.empty()) << c.name;
    if (c.troubleTtl) {
      EXPECT_NE(reading.headline.find("第" + std::to_string(*c.troubleTtl) + "跳"), std::string::npos)
          << c.name << ": " << reading.headline;
    }
    if (c.finding == RouteFinding::kTooFewRounds) continue;
    ASSERT_EQ(reading.hops.size(), c.route.hops.size()) << c.name;
    for (const HopReading& hop : reading.hops) {
      const bool expected = std::find(c.rateLimited.begin(), c.rateLimited.end(), hop.ttl) != c.rateLimited.end();
      EXPECT_EQ(hop.lossNotCarried, expected) << c.name << " hop " << hop.ttl;
      if (expected) {
        EXPECT_EQ(hop.note, kRateLimitedNote) << c.name << " hop " << hop.ttl;
      }
    }
  }
}

TEST(RouteReading, ExplainsSlowAndSilentHopsWithoutBlame) {
  const RouteReading slow =
      ReadRoute(Route({{"10.1.0.1", 0, 1}, {"10.2.0.1", 0, 150}, {nullptr, 0, 0}, {"10.4.0.9", 0, 4}}), std::nullopt);
  EXPECT_TRUE(slow.hops[1].slowNotKept);
  EXPECT_EQ(slow.hops[1].note, "该节点回应慢，不影响转发");
  EXPECT_EQ(slow.hops[2].note, "该节点不回应探测，不影响转发");
  EXPECT_FALSE(slow.hops[3].slowNotKept);
}

TEST(RouteReading, PlacesHopsInTheirStretchOfTheRoute) {
  RouteSnapshot route = Route({{"192.168.1.1", 0, 1},
                               {"100.64.0.1", 0, 3},
                               {"10.10.0.1", 0, 4},
                               {nullptr, 0, 0},
                               {"203.0.113.1", 0, 5},
                               {"198.51.100.1", 0, 6},
                               {"8.8.4.1", 0, 20},
                               {"192.0.2.1", 0, 30},
                               {"192.0.2.9", 0, 31}});
  const RouteReading reading = ReadRoute(route, *ParseDottedQuad("192.168.1.1"));
  using S = RouteSegment;
  const std::vector<S> expected = {S::kHome,           S::kProviderAccess,     S::kProviderAccess,
                                   S::kProviderAccess, S::kProviderAccess,     S::kProviderAccess,
                                   S::kWiderRoute,     S::kDestinationNetwork, S::kDestinationNetwork};
  ASSERT_EQ(reading.hops.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(reading.hops[i].segment, expected[i]) << i + 1;

  // A home network behind a second router: everything up to the gateway is home.
  RouteSnapshot nested =
      Route({{"192.168.2.1", 0, 1}, {"192.168.1.1", 0, 2}, {"100.64.0.1", 0, 3}, {"198.51.100.9", 0, 4}});
  const RouteReading nestedReading = ReadRoute(nested, *ParseDottedQuad("192.168.1.1"));
  EXPECT_EQ(nestedReading.hops[1].segment, S::kHome);
  EXPECT_EQ(nestedReading.hops[2].segment, S::kProviderAccess);
}

TEST(RouteReading, VerdictNamesTheStretchAndTheFigures) {
  RouteSnapshot route =
      Route({{"192.168.1.1", 12, 1}, {"100.64.0.1", 12, 3}, {"203.0.113.1", 13, 5}, {"192.0.2.9", 12, 31}});
  const RouteReading reading = ReadRoute(route, *ParseDottedQuad("192.168.1.1"));
  EXPECT_EQ(reading.finding, RouteFinding::kLoss);
  EXPECT_EQ(reading.troubleTtl, 1);
  EXPECT_EQ(reading.troubleSegment, RouteSegment::kHome);
  EXPECT_NE(reading.headline.find("家庭网络"), std::string::npos) << reading.headline;
  EXPECT_NE(reading.headline.find("12.0%"), std::string::npos) << reading.headline;
  EXPECT_NE(reading.evidence.front().find("192.168.1.1"), std::string::npos) << reading.evidence.front();
}

TEST(RouteReading, FastPaceAndRouteChangesAreSaid) {
  RouteSnapshot route = Route({{"10.1.0.1", 0, 1}, {"10.2.0.9", 0, 2}});
  route.fastPace = true;
  route.interval = std::chrono::milliseconds(200);
  route.changes.push_back({{}, 2, {}, 0, "第2跳由 10.2.0.1 变为 10.2.0.9"});
  const RouteReading reading = ReadRoute(route, std::nullopt);
  bool pace = false, change = false;
  for (const std::string& line : reading.evidence) {
    pace = pace || line.find("200 ms") != std::string::npos;
    change = change || line.find("路由变化了 1 次") != std::string::npos;
  }
  EXPECT_TRUE(pace);
  EXPECT_TRUE(change);
}

}  // namespace
}  // namespace qnc
