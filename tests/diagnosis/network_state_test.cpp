// What the diagnosis reads of the tables: each row's figures from its kept
// samples, the gateway row, and the DNS servers seen.
#include <gtest/gtest.h>

#include "diagnosis/dns_server_tally.h"
#include "diagnosis/network_state_of_tables.h"

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

  const NetworkState state = NetworkStateOf({&ping, &game}, "192.168.1.1", {{"198.51.100.1", 9, 1, 20}});
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

  EXPECT_FALSE(NetworkStateOf({&ping}, "", {}).rows[1].gateway) << "no gateway found, none marked";
}

TEST(DnsServerTally, CountsEachServerAndIgnoresTextsBeingTyped) {
  DnsServerTally tally;
  tally.Record("198.51.100.2", At(0, 10));
  tally.Record("198.51.100.2", At(1, 30));
  tally.Record("198.51.100.2", At(2, 900, FailureReason::kTimeout));
  tally.Record("198.51.100.1", At(3, 5));
  for (const char* partial : {"", "198.", "198.51.100", "198.51.100.2x"}) tally.Record(partial, At(4, 1));

  const std::vector<DnsServerHealth> servers = tally.Servers();
  ASSERT_EQ(servers.size(), 2u);
  EXPECT_EQ(servers[0].server, "198.51.100.1");
  EXPECT_EQ(servers[1].server, "198.51.100.2");
  EXPECT_EQ(servers[1].samples, 3u);
  EXPECT_EQ(servers[1].failed, 1u);
  EXPECT_DOUBLE_EQ(servers[1].averageMs, 20) << "failures do not count in the average";

  for (int last = 0; last < 200; ++last) tally.Record("10.0.0." + std::to_string(last), At(5, 1));
  EXPECT_EQ(tally.Servers().size(), DnsServerTally::kMaxServers);
}

}  // namespace
}  // namespace qnc
