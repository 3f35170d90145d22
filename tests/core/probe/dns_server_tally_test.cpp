// The DNS servers' tally: each look-up counts for the server named as it
// ends; texts that are no address yet count for nothing.
#include "core/probe/dns_server_tally.h"

#include <gtest/gtest.h>

#include <string>

namespace qnc {
namespace {

Sample At(int second, double ms, FailureReason outcome = FailureReason::kNone) {
  return {std::chrono::system_clock::time_point(std::chrono::seconds(second)), static_cast<std::uint32_t>(ms * 1000),
          outcome};
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
