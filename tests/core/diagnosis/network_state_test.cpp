// What the diagnosis reads of the tables: each row's figures from its kept
// samples, the gateway row, and the DNS servers given.
#include <gtest/gtest.h>

#include "core/diagnosis/network_state_of_tables.h"

namespace qnc {
namespace {

Sample At(int second, double ms, FailureReason outcome = FailureReason::kNone) {
  return {std::chrono::system_clock::time_point(std::chrono::seconds(second)), static_cast<std::uint32_t>(ms * 1000),
          outcome};
}

TEST(NetworkStateOf, FiguresOfEveryMeasuredRowWithTheGatewayMarked) {
  TableStore ping(TableKind::kPing);
  TableStore game(TableKind::kGame);
  ping.InsertRow(0, "a.test");
  ping.InsertRow(1, "");  // never measured
  ping.InsertRow(2, "192.168.1.1");
  game.InsertRow(0, "192.168.1.1:80");  // the gateway's address, but no ping row
  for (const Sample& sample : {At(0, 10), At(1, 30), At(2, 0, FailureReason::kTimeout), At(3, 20)}) {
    ping.RowAt(0).counters->history.Append(sample);
  }
  ping.RowAt(2).counters->history.Append(At(0, 2));

  const auto now = std::chrono::system_clock::time_point(std::chrono::seconds(10));
  const NetworkState state = NetworkStateOf({&ping, &game}, "192.168.1.1", {{"198.51.100.1", 9, 1, 20}}, now);
  ASSERT_EQ(state.rows.size(), 3u);
  const RowHealth& a = state.rows[0];
  EXPECT_EQ(a.target, "a.test");
  EXPECT_FALSE(a.gateway);
  EXPECT_EQ(a.samples, 4u);
  EXPECT_EQ(a.failed, 1u);
  EXPECT_DOUBLE_EQ(a.averageMs, 20);
  EXPECT_DOUBLE_EQ(a.jitterMs, 15);  // |30 - 10| and |20 - 30|
  EXPECT_TRUE(state.rows[1].gateway);
  EXPECT_EQ(state.rows[2].table, TableKind::kGame);
  EXPECT_FALSE(state.rows[2].gateway);
  ASSERT_EQ(state.dnsServers.size(), 1u);

  EXPECT_FALSE(NetworkStateOf({&ping}, "", {}, now).rows[1].gateway) << "no gateway found, none marked";
}

// Only the recent window counts, or the time since a retest when that is
// later; the failures keep their reasons.
TEST(NetworkStateOf, JudgesTheRecentWindowOnly) {
  TableStore game(TableKind::kGame);
  game.InsertRow(0, "g.test:443");
  auto& history = game.RowAt(0).counters->history;
  for (int second = 0; second < 100; ++second) history.Append(At(second, 0, FailureReason::kRefused));
  for (int second = 100; second < 300; ++second) history.Append(At(second, 20));
  history.Append(At(300, 0, FailureReason::kLookupTimeout));

  const auto now = std::chrono::system_clock::time_point(std::chrono::seconds(300));
  const NetworkState recent = NetworkStateOf({&game}, "", {}, now);
  EXPECT_EQ(recent.window, std::chrono::seconds(120));
  EXPECT_FALSE(recent.sinceRetest);
  ASSERT_EQ(recent.rows.size(), 1u);
  EXPECT_EQ(recent.rows[0].samples, 121u) << "seconds 180 to 300";
  EXPECT_EQ(recent.rows[0].Failures(FailureReason::kRefused), 0u) << "the refusals have passed";
  EXPECT_EQ(recent.rows[0].LookupFailures(), 1u);
  EXPECT_EQ(recent.rows[0].Sent(), 120u);

  const NetworkState early =
      NetworkStateOf({&game}, "", {}, std::chrono::system_clock::time_point(std::chrono::seconds(150)));
  EXPECT_EQ(early.rows[0].Failures(FailureReason::kRefused), 70u) << "seconds 30 to 99";
  EXPECT_EQ(early.rows[0].Lost(), 0u) << "a refusal is an answer, not loss";

  const NetworkState retested = NetworkStateOf({&game}, "", {}, now, now - std::chrono::seconds(30));
  EXPECT_TRUE(retested.sinceRetest);
  EXPECT_EQ(retested.window, std::chrono::seconds(30));
  EXPECT_EQ(retested.rows[0].samples, 31u);
}

}  // namespace
}  // namespace qnc
