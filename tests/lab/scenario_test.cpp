// The network broken on purpose, as a lagging player's may be: a slow or
// silent DNS server, loss on the LAN link, loss beyond the router, a router
// that answers pings to itself only now and then, a game server that refuses
// and recovers. Each scenario runs the three tables against the lab, then
// checks the cells (the network's round trip, never the resolver's delay) and
// the diagnosis's verdict with its wording.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "core/diagnosis/diagnosis.h"
#include "core/diagnosis/network_state_of_tables.h"
#include "core/probe/dns_responder.h"
#include "core/probe/probe_session.h"
#include "platform/icmp_socket.h"
#include "platform/tcp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// Runs a command, for the nftables rules in the router.
bool Shell(const std::string& command) { return std::system(command.c_str()) == 0; }

void InRouter(const std::string& nftRules) {
  ASSERT_TRUE(Shell("ip netns exec " + Env("QNC_LAB_ROUTER") + " nft -f - <<'EOF'\n" + nftRules + "\nEOF")) << nftRules;
}

// A TCP listener inside the outside namespace (a game server beyond the
// router), accepting and closing connections until destroyed.
class OutsideServer {
 public:
  OutsideServer(const char* address, std::uint16_t port) {
    // A socket belongs to the namespace it was made in; a thread of its own
    // enters the outside namespace to make it.
    std::thread maker([&] {
      const int ns = ::open(("/run/netns/" + Env("QNC_LAB_OUTSIDE")).c_str(), O_RDONLY | O_CLOEXEC);
      if (ns < 0 || ::setns(ns, CLONE_NEWNET) != 0) return;
      ::close(ns);
      auto socket = TcpSocket::Open();
      if (socket && socket->Bind(*ParseDottedQuad(address), port) && socket->Listen(64)) socket_ = std::move(socket);
    });
    maker.join();
    if (!socket_) throw std::runtime_error("cannot listen in the outside namespace");
    acceptor_ = std::jthread([this](std::stop_token stop) {
      while (!stop.stop_requested()) socket_->Accept(100, stop);
    });
  }

 private:
  std::optional<TcpSocket> socket_;
  std::jthread acceptor_;
};

constexpr std::uint16_t kGamePort = 7000;
constexpr std::uint16_t kClosedPort = 7001;
const std::string kGateway = "10.77.0.1";

class Scenario : public ::testing::Test {
 protected:
  void SetUp() override {
    if (Env("QNC_LAB_OUTSIDE").empty()) GTEST_SKIP() << "not inside the lab network (run through lab_network.sh)";
    if (!IcmpSocket::Open()) GTEST_SKIP() << "no ICMP socket here";
    if (!Shell("command -v nft >/dev/null")) GTEST_SKIP() << "nft is not installed";
    std::ifstream in("/etc/resolv.conf");
    resolvConf_.assign(std::istreambuf_iterator<char>(in), {});
    // One game server for every scenario: its port stays busy for a while
    // after it closes (connections in TIME_WAIT).
    if (!server_) server_.emplace("10.99.0.13", kGamePort);
  }
  static void TearDownTestSuite() { server_.reset(); }
  void TearDown() override {
    if (Env("QNC_LAB_OUTSIDE").empty()) return;
    Shell("ip netns exec " + Env("QNC_LAB_ROUTER") + " nft delete table inet lab 2>/dev/null");
    if (!resolvConf_.empty()) std::ofstream("/etc/resolv.conf") << resolvConf_;
  }

  // Points the system's resolver at another server (glibc notices the change).
  void SystemResolver(const std::string& address) {
    std::ofstream("/etc/resolv.conf") << "nameserver " << address << "\noptions timeout:1 attempts:1\n";
  }

  // Drops a share of the packets that match `match` as they reach the router
  // (input: for the router itself; forward: passing through).
  void DropInRouter(const std::string& hook, const std::string& match, int percent) {
    InRouter("table inet lab {\n chain " + hook + " { type filter hook " + hook + " priority 0; " + match +
             " numgen random mod 100 < " + std::to_string(percent) + " drop; }\n}");
  }

  std::unique_ptr<ProbeSession> StartSession(std::vector<std::string> dns, std::vector<std::string> ping,
                                             std::vector<std::string> game,
                                             std::chrono::milliseconds lookupLimit = 400ms) {
    ProbeSessionOptions options;
    options.lookupLimit = lookupLimit;
    options.dns.replyTimeoutMs = static_cast<int>(lookupLimit.count());
    options.ping.replyTimeoutMs = 400;
    options.game.connectTimeoutMs = 400;
    for (const TableKind kind : kAllTables) options.Worker(kind).pauseMs = 20;
    auto session = std::make_unique<ProbeSession>(std::move(options));
    for (const auto& row : dns) session->AppendRow(TableKind::kDns, row);
    for (const auto& row : ping) session->AppendRow(TableKind::kPing, row);
    for (const auto& row : game) session->AppendRow(TableKind::kGame, row);
    session->Start();
    return session;
  }

  std::unique_ptr<ProbeSession> StartUsualRows(std::chrono::milliseconds lookupLimit = 400ms) {
    return StartSession({"alpha.lab", "beta.lab"}, {kGateway, "host1.lab", "host2.lab", "10.99.0.12"},
                        {"game1.lab:" + std::to_string(kGamePort), "10.99.0.13:" + std::to_string(kGamePort)},
                        lookupLimit);
  }

  // Waits until every row has `samples` new samples, or `limit` passes.
  static void MeasureAtLeast(ProbeSession& session, std::size_t samples, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      bool enough = true;
      for (const TableKind kind : kAllTables) {
        const TableStore& table = session.Table(kind);
        for (int row = 0; row < table.RowCount(); ++row) {
          enough = enough && table.History(table.RowAt(row).id)->Size() >= samples;
        }
      }
      if (enough) return;
      std::this_thread::sleep_for(100ms);
    }
  }

  static std::vector<Verdict> Verdicts(const ProbeSession& session) {
    std::vector<const TableStore*> tables;
    for (const TableKind kind : kAllTables) tables.push_back(&session.Table(kind));
    return Diagnose(NetworkStateOf(tables, kGateway, {}, std::chrono::system_clock::now(), session.RetestedAt()));
  }

  static std::string Text(const Verdict& verdict) {
    std::string text = verdict.headline;
    for (const std::string& line : verdict.evidence) text += "\n" + line;
    return text;
  }

  // Every ping and game row that answers shows the lab's round trip (well
  // under a millisecond, shown as 1 or 2): no name lookup is in its figures.
  static void ExpectNetworkRoundTrips(const ProbeSession& session) {
    for (const TableKind kind : {TableKind::kPing, TableKind::kGame}) {
      const TableStore& table = session.Table(kind);
      for (int row = 0; row < table.RowCount(); ++row) {
        SCOPED_TRACE(table.CellAt(row, cell::kTarget));
        const std::string latest = table.CellAt(row, cell::kLatency);
        if (latest != "超时") {
          EXPECT_LE(std::stoi(latest), 3);
        }
        const std::string average = table.CellAt(row, cell::kAverage);
        if (!average.empty() && average != "0") {
          EXPECT_LE(std::stoi(average), 3);
        }
      }
    }
  }

  std::string resolvConf_;
  static inline std::optional<OutsideServer> server_;
};

TEST_F(Scenario, SlowDnsShowsInTheDnsTableOnly) {
  // A stand-in resolver that answers every name 300 ms late (one query after
  // the other, so the time limits leave room for a short queue).
  test::DnsResponder slow(*ParseDottedQuad("127.0.0.1"), 53);
  for (const auto& [name, address] : std::vector<std::pair<const char*, test::Bytes>>{
           {"alpha.lab", test::Ipv4Data(10, 77, 0, 1)},
           {"beta.lab", test::Ipv4Data(10, 77, 0, 7)},
           {"host1.lab", test::Ipv4Data(10, 99, 0, 10)},
           {"host2.lab", test::Ipv4Data(10, 99, 0, 11)},
           {"game1.lab", test::Ipv4Data(10, 99, 0, 13)}}) {
    slow.Script(name, {test::ScriptedAnswer::Kind::kAddress, address, 300ms});
  }
  SystemResolver("127.0.0.1");
  auto session = StartUsualRows(3s);
  MeasureAtLeast(*session, diagnosis::kMinSamples, 60s);
  session->StopAndJoin();

  ExpectNetworkRoundTrips(*session);
  const std::vector<Verdict> verdicts = Verdicts(*session);
  ASSERT_FALSE(verdicts.empty());
  EXPECT_EQ(verdicts.front().finding, Finding::kDns) << Text(verdicts.front());
  EXPECT_NE(Text(verdicts.front()).find("问题最可能在DNS"), std::string::npos);
  EXPECT_NE(Text(verdicts.front()).find("DNS表 alpha.lab：失败 0.0%"), std::string::npos) << Text(verdicts.front());
}

TEST_F(Scenario, ASilentDnsServerIsBlamedAsDnsNotAsLoss) {
  InRouter(
      "table inet lab {\n chain input { type filter hook input priority 0; udp dport 53 drop; "
      "tcp dport 53 drop; }\n}");
  auto session = StartUsualRows();
  MeasureAtLeast(*session, diagnosis::kMinSamples, 60s);
  session->StopAndJoin();

  ExpectNetworkRoundTrips(*session);
  // A row by name says why it failed; a row by address answers.
  const TableStore& ping = session->Table(TableKind::kPing);
  EXPECT_EQ(ping.Statistics(ping.RowAt(1).id)->lastOutcome, FailureReason::kLookupTimeout);
  EXPECT_EQ(ping.Statistics(ping.RowAt(3).id)->lastOutcome, FailureReason::kNone);
  const Sample failed = ping.History(ping.RowAt(1).id)->Newest(1).front();
  EXPECT_GE(failed.roundTripUs, 390'000u) << "the failure carries the lookup's own duration";

  const std::vector<Verdict> verdicts = Verdicts(*session);
  ASSERT_FALSE(verdicts.empty());
  EXPECT_EQ(verdicts.front().finding, Finding::kDns) << Text(verdicts.front());
  EXPECT_NE(Text(verdicts.front()).find("DNS 超时"), std::string::npos) << Text(verdicts.front());
  EXPECT_NE(Text(verdicts.front()).find("不是丢包"), std::string::npos) << Text(verdicts.front());
}

TEST_F(Scenario, LossOnTheLanLinkIsBlamedOnTheLan) {
  DropInRouter("prerouting", "iifname \"" + Env("QNC_LAB_ROUTER_LAN") + "\"", 25);
  auto session = StartUsualRows();
  MeasureAtLeast(*session, 40, 90s);
  session->StopAndJoin();

  const std::vector<Verdict> verdicts = Verdicts(*session);
  ASSERT_FALSE(verdicts.empty());
  EXPECT_EQ(verdicts.front().finding, Finding::kLocalNetwork) << Text(verdicts.front());
  EXPECT_NE(Text(verdicts.front()).find("问题最可能在局域网或Wi-Fi"), std::string::npos);
  EXPECT_NE(Text(verdicts.front()).find("网关：ping表 10.77.0.1：丢包"), std::string::npos) << Text(verdicts.front());
}

TEST_F(Scenario, LossBeyondTheRouterIsBlamedOnTheProviderOrRoute) {
  DropInRouter("forward", "iifname \"" + Env("QNC_LAB_ROUTER_WAN") + "\"", 25);
  auto session = StartUsualRows();
  MeasureAtLeast(*session, 40, 90s);
  session->StopAndJoin();

  const std::vector<Verdict> verdicts = Verdicts(*session);
  ASSERT_FALSE(verdicts.empty());
  EXPECT_EQ(verdicts.front().finding, Finding::kProviderRoute) << Text(verdicts.front());
  EXPECT_NE(Text(verdicts.front()).find("网关正常：ping表 10.77.0.1：丢包 0.0%"), std::string::npos)
      << Text(verdicts.front());
}

TEST_F(Scenario, ARouterDecliningPingsToItselfIsNotTheLan) {
  DropInRouter("input", "icmp type echo-request", 30);
  auto session = StartUsualRows();
  MeasureAtLeast(*session, 40, 90s);
  session->StopAndJoin();

  const std::vector<Verdict> verdicts = Verdicts(*session);
  ASSERT_FALSE(verdicts.empty());
  EXPECT_EQ(verdicts.front().finding, Finding::kAllWell) << Text(verdicts.front());
  EXPECT_NE(Text(verdicts.front()).find("路由器限速回应"), std::string::npos) << Text(verdicts.front());
}

TEST_F(Scenario, ARefusingServerIsNamedAndForgivenOnceItRecovers) {
  const std::string refusing = "10.99.0.12:" + std::to_string(kClosedPort);
  auto session = StartSession({"alpha.lab"}, {kGateway, "host1.lab", "host2.lab"},
                              {"game1.lab:" + std::to_string(kGamePort), refusing});
  MeasureAtLeast(*session, diagnosis::kMinSamples, 60s);
  std::vector<Verdict> verdicts = Verdicts(*session);
  ASSERT_FALSE(verdicts.empty());
  EXPECT_EQ(verdicts.front().finding, Finding::kSingleServer) << Text(verdicts.front());
  EXPECT_NE(Text(verdicts.front()).find("问题只在单个服务器：" + refusing), std::string::npos);
  EXPECT_NE(Text(verdicts.front()).find("连接被拒绝"), std::string::npos) << Text(verdicts.front());
  EXPECT_EQ(Text(verdicts.front()).find("丢包 100"), std::string::npos) << "a refusal is no loss";

  // The server comes back; the user retests and judges afresh.
  OutsideServer recovered("10.99.0.12", kClosedPort);
  session->MarkRetested();
  ResetCounters(session->Table(TableKind::kGame));
  MeasureAtLeast(*session, diagnosis::kMinSamples, 60s);
  session->StopAndJoin();
  verdicts = Verdicts(*session);
  ASSERT_FALSE(verdicts.empty());
  EXPECT_EQ(verdicts.front().finding, Finding::kAllWell) << Text(verdicts.front());
  EXPECT_NE(Text(verdicts.front()).find("判断依据：重新测试以来"), std::string::npos) << Text(verdicts.front());
}

// After a long healthy run, new trouble shows at once: the verdict judges the
// recent window, not the hour of good samples before it.
TEST_F(Scenario, NewTroubleAfterALongHealthyRunShowsAtOnce) {
  auto session = StartUsualRows();
  // The workers clear the histories as they start: fill them in after that.
  MeasureAtLeast(*session, 1, 30s);
  // Most of an hour's worth of healthy samples, from before the recent window.
  const auto hourAgo = std::chrono::system_clock::now() - 1h;
  for (const TableKind kind : kAllTables) {
    TableStore& table = session->Table(kind);
    for (int row = 0; row < table.RowCount(); ++row) {
      for (int second = 0; second < 2000; ++second) {
        table.RowAt(row).counters->history.Append({hourAgo + std::chrono::seconds(second), 500, FailureReason::kNone});
      }
    }
  }
  DropInRouter("forward", "iifname \"" + Env("QNC_LAB_ROUTER_WAN") + "\"", 25);
  MeasureAtLeast(*session, 2000 + 40, 90s);
  session->StopAndJoin();
  const std::vector<Verdict> verdicts = Verdicts(*session);
  ASSERT_FALSE(verdicts.empty());
  EXPECT_EQ(verdicts.front().finding, Finding::kProviderRoute) << Text(verdicts.front());
  EXPECT_NE(Text(verdicts.front()).find("判断依据：最近 2 分钟的测量"), std::string::npos) << Text(verdicts.front());
}

}  // namespace
}  // namespace qnc
