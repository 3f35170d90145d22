// quorix-probe trace: its options, and the report of a traced route in text
// and JSON (names from reverse lookups are outside text and are escaped).
#include "cli/app/trace_command.h"

#include <gtest/gtest.h>

#include <string>
#include <variant>
#include <vector>

#include "cli/app/trace_report.h"

namespace qnc {
namespace {

TEST(TraceCommand, ReadsOptions) {
  const auto parsed = ParseTraceCommand({"trace", "game.example", "--tcp", "7000", "--count", "30", "--interval", "250",
                                         "--json", "--no-names", "--max-hops", "12"});
  ASSERT_TRUE(std::holds_alternative<TraceCommand>(parsed)) << std::get<std::string>(parsed);
  const auto& command = std::get<TraceCommand>(parsed);
  EXPECT_EQ(command.host, "game.example");
  EXPECT_EQ(command.tcpPort, 7000);
  EXPECT_EQ(command.count, 30u);
  EXPECT_EQ(command.intervalMs, 250);
  EXPECT_EQ(command.maxHops, 12);
  EXPECT_TRUE(command.json);
  EXPECT_FALSE(command.names);

  const auto defaults = std::get<TraceCommand>(ParseTraceCommand({"trace", "10.0.0.1"}));
  EXPECT_FALSE(defaults.tcpPort);
  EXPECT_EQ(defaults.count, 10u);
  EXPECT_EQ(defaults.intervalMs, 1000);
  EXPECT_EQ(defaults.maxHops, 30);
}

TEST(TraceCommand, RefusesBadOptions) {
  const std::vector<std::vector<std::string>> bad = {
      {"trace"},
      {"trace", "a", "b"},
      {"trace", "a", "--tcp"},
      {"trace", "a", "--tcp", "0"},
      {"trace", "a", "--tcp", "65536"},
      {"trace", "a", "--tcp", "80x"},
      {"trace", "a", "--count", "0"},
      {"trace", "a", "--count", "-1"},
      {"trace", "a", "--interval", "5"},
      {"trace", "a", "--max-hops", "65"},
      {"trace", "a", "--fast"},
  };
  for (const auto& args : bad) {
    EXPECT_TRUE(std::holds_alternative<std::string>(ParseTraceCommand(args))) << args.back();
  }
}

RouteSnapshot SampleRoute() {
  RouteSnapshot route;
  route.target = "game.example";
  route.destination = *ParseDottedQuad("192.0.2.9");
  route.rounds = 10;
  route.destinationTtl = 2;
  HopSnapshot first;
  first.ttl = 1;
  first.responders = {{*ParseDottedQuad("192.168.1.1"), "router\x1b[2J", 6}, {*ParseDottedQuad("192.168.1.2"), "", 4}};
  first.figures.sent = 10;
  first.figures.lossPercent = 0;
  first.figures.meanMs = first.figures.lastMs = first.figures.bestMs = first.figures.worstMs = 1.25;
  first.figures.stdDevMs = first.figures.jitterMs = 0;
  HopSnapshot second;
  second.ttl = 2;
  second.isDestination = true;
  second.responders = {{route.destination, "", 10}};
  second.figures.sent = 10;
  second.figures.meanMs = 20.5;
  route.hops = {first, second};
  route.changes.push_back({std::chrono::system_clock::time_point(std::chrono::seconds(1700000000)),
                           1,
                           {},
                           0,
                           "第1跳由 192.168.1.3 变为 192.168.1.1"});
  return route;
}

TEST(TraceReport, TextHasAHopPerLineTheBalancedAddressesAndTheVerdict) {
  const RouteSnapshot route = SampleRoute();
  const RouteReading reading = ReadRoute(route, *ParseDottedQuad("192.168.1.1"));
  const std::string text = FormatTraceText(route, reading);
  EXPECT_NE(text.find("  1.  192.168.1.1 (router\\x1b[2J)"), std::string::npos) << text;
  EXPECT_EQ(text.find('\x1b'), std::string::npos) << "a name's escape sequence reached the terminal";
  EXPECT_NE(text.find("\n      192.168.1.2\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  2.  192.0.2.9"), std::string::npos) << text;
  EXPECT_NE(text.find("20.5"), std::string::npos) << text;
  EXPECT_NE(text.find("结论：" + reading.headline), std::string::npos) << text;
  EXPECT_NE(text.find(":13:20 路由变化：第1跳由 192.168.1.3 变为 192.168.1.1\n"), std::string::npos) << text;
}

TEST(TraceReport, JsonCarriesFiguresVerdictAndEscapedNames) {
  const RouteSnapshot route = SampleRoute();
  const RouteReading reading = ReadRoute(route, *ParseDottedQuad("192.168.1.1"));
  const std::string json = FormatTraceJson(route, reading);
  for (const std::string expected :
       {"\"target\":\"game.example\"", "\"mode\":\"icmp\"", "\"destination_ttl\":2", "\"name\":\"router\\u001b[2J\"",
        "\"address\":\"192.168.1.2\",\"name\":\"\",\"answers\":4", "\"mean_ms\":20.500", "\"last_ms\":null",
        "\"segment\":\"家庭网络\"", "\"time\":1700000000,\"ttl\":1", "\"finding\":\"all_well\""}) {
    EXPECT_NE(json.find(expected), std::string::npos) << expected << "\n" << json;
  }
  EXPECT_EQ(json.front(), '{');
  EXPECT_EQ(json.back(), '}');
}

}  // namespace
}  // namespace qnc
