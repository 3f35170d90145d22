// Each table's probes, on loopback, record why they failed: the history of the
// row and the session's sample listener both carry the reason, while the
// cells show "超时" as ever.
#include <gtest/gtest.h>

#include <chrono>
#include <map>
#include <mutex>
#include <thread>

#include "core/probe/dns_client.h"
#include "core/probe/dns_responder.h"
#include "core/probe/icmp_probe.h"
#include "core/probe/probe_session.h"
#include "core/probe/worker_harness.h"
#include "platform/icmp_socket.h"
#include "platform/tcp_socket.h"
#include "platform/udp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

const Ipv4NetOrder kLoopback = *ParseDottedQuad("127.0.0.1");

std::uint16_t ClosedPort() {
  auto socket = TcpSocket::Open();
  socket->Bind(kLoopback, 0);
  return socket->LocalPort();
}

// The samples the listener heard, by table and target.
class HeardSamples {
 public:
  SampleListener Listener() {
    return [this](TableKind table, RowId row, const std::string& target, const Sample& sample) {
      std::lock_guard lock(mutex_);
      heard_[{table, target}] = {row, sample};
    };
  }
  std::optional<std::pair<RowId, Sample>> Last(TableKind table, const std::string& target) {
    std::lock_guard lock(mutex_);
    const auto found = heard_.find({table, target});
    if (found == heard_.end()) return std::nullopt;
    return found->second;
  }

 private:
  std::mutex mutex_;
  std::map<std::pair<TableKind, std::string>, std::pair<RowId, Sample>> heard_;
};

TEST(FailureReasons, EveryTableRecordsWhyAProbeFailed) {
  test::DnsResponder responder(kLoopback);
  responder.Script("found.test", {test::ScriptedAnswer::Kind::kAddress, test::Ipv4Data(10, 1, 2, 3), 30ms});
  responder.Script("gone.test", {test::ScriptedAnswer::Kind::kNameError});
  responder.Script("quiet.test", {test::ScriptedAnswer::Kind::kSilent});
  auto listener = TcpSocket::Open();
  ASSERT_TRUE(listener && listener->Bind(kLoopback, 0) && listener->Listen(16));
  const bool canPing = IcmpSocket::Open().has_value();

  ProbeSessionOptions options;
  // Names ending in ".test" do not exist, "broken.lookup" makes the resolver fail.
  options.lookup = [](std::string_view host) {
    return HostLookupResult::Failed(host == "broken.lookup" ? LookupError::kFailed : LookupError::kNoSuchName);
  };
  options.dns.initialServer = "127.0.0.1";
  options.dns.serverPort = responder.Port();
  options.dns.replyTimeoutMs = 300;
  options.game.connectTimeoutMs = 2000;
  PerTable<test::PassWaiter> waiters;
  for (const TableKind kind : kAllTables) {
    options.Worker(kind).pauseMs = 10;
    options.Worker(kind).onPassEnd = waiters[kind].Callback();
  }
  ProbeSession session(std::move(options));
  HeardSamples heard;
  session.SetSampleListener(heard.Listener());

  const std::string open = "127.0.0.1:" + std::to_string(listener->LocalPort());
  const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());
  struct Row {
    TableKind table;
    std::string target;
    FailureReason expected;
  };
  std::vector<Row> rows = {
      {TableKind::kDns, "found.test", FailureReason::kNone},
      {TableKind::kDns, "gone.test", FailureReason::kNameNotFound},
      {TableKind::kDns, "quiet.test", FailureReason::kTimeout},
      {TableKind::kDns, "a..b", FailureReason::kBadName},
      {TableKind::kGame, open, FailureReason::kNone},
      {TableKind::kGame, closed, FailureReason::kRefused},
      {TableKind::kGame, "nowhere.test:80", FailureReason::kNameNotFound},
      {TableKind::kPing, "nowhere.test", FailureReason::kNameNotFound},
      {TableKind::kPing, "broken.lookup", FailureReason::kLookupFailed},
      {TableKind::kGame, "broken.lookup:443", FailureReason::kLookupFailed},
  };
  if (canPing) rows.push_back({TableKind::kPing, "127.0.0.1", FailureReason::kNone});
  for (const Row& row : rows) session.AppendRow(row.table, row.target);

  session.Start();
  for (const TableKind kind : kAllTables) ASSERT_TRUE(waiters[kind].WaitFor(1, 15s));
  session.StopAndJoin();

  for (const Row& row : rows) {
    SCOPED_TRACE(row.target);
    const auto last = heard.Last(row.table, row.target);
    ASSERT_TRUE(last.has_value()) << "the listener heard of it";
    EXPECT_EQ(last->second.outcome, row.expected)
        << FailureLabel(last->second.outcome) << " instead of " << FailureLabel(row.expected);
    const auto history = session.Table(row.table).History(last->first);
    ASSERT_NE(history, nullptr);
    ASSERT_GE(history->Size(), 1u);
    EXPECT_EQ(history->Newest(1).front(), last->second);
    const int index = session.Table(row.table).IndexOf(last->first);
    if (row.expected != FailureReason::kNone) {
      EXPECT_EQ(session.Table(row.table).CellAt(index, cell::kLatency), "超时");
    }
  }
  // The round trip runs from the query to the reply that the server held back 30 ms.
  const Sample found = heard.Last(TableKind::kDns, "found.test")->second;
  EXPECT_GE(found.roundTripUs, 30'000u);
  EXPECT_LT(found.roundTripUs, 1'000'000u);
  EXPECT_GT(found.time.time_since_epoch().count(), 0);
  // A query that waited out its time-out took that long to fail; one never sent took no time.
  EXPECT_GE(heard.Last(TableKind::kDns, "quiet.test")->second.roundTripUs, 290'000u);
  EXPECT_EQ(heard.Last(TableKind::kDns, "a..b")->second.roundTripUs, 0u);
}

// A DNS server address with nothing on its port answers our query with an
// ICMP port unreachable: the query fails at once as refused instead of
// waiting out its time-out, and a second query on the same socket does too.
TEST(FailureReasons, ADnsPortWithNothingOnItIsRefusedAtOnce) {
  if (!UdpSocket::Open()->ReportDeliveryErrors()) {
    GTEST_SKIP() << "this system does not say which destination turned a datagram away";
  }
  std::uint16_t closedPort = 0;
  {
    auto socket = UdpSocket::Open();
    ASSERT_TRUE(socket && socket->Bind(kLoopback, 0));
    closedPort = socket->LocalPort();
  }
  DnsQueryBlock block;
  ASSERT_EQ(DnsOpen("127.0.0.1", block, closedPort, 20'000), 0);
  for (const char* name : {"first.test", "second.test"}) {
    SCOPED_TRACE(name);
    Ipv4NetOrder address = 0;
    EXPECT_EQ(DnsQuery(block, address, name), -1);
    EXPECT_EQ(block.failure, FailureReason::kRefused) << FailureLabel(block.failure);
    EXPECT_LT(block.repliedAt - block.sentAt, 10s) << "ended by the refusal, not by the 20 s time-out";
  }
}

}  // namespace
}  // namespace qnc
