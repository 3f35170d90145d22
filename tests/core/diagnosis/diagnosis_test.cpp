// The diagnosis on synthetic figures: which verdicts, in which order, and the
// rows and figures each one names.
#include "core/diagnosis/diagnosis.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qnc {
namespace {

using namespace diagnosis;

// A row whose failures are all time-outs (unanswered probes, or failed look-ups of a DNS row).
RowHealth Row(TableKind table, std::string target, std::uint32_t samples, std::uint32_t failed, double averageMs,
              double jitterMs = 1) {
  RowHealth row{table, std::move(target), false, samples, failed, averageMs, jitterMs, {}};
  row.failures[static_cast<std::size_t>(FailureReason::kTimeout)] = failed;
  return row;
}
// The row with `count` more failures of another reason.
RowHealth Failing(RowHealth row, FailureReason reason, std::uint32_t count) {
  row.samples += count;
  row.failed += count;
  row.failures[static_cast<std::size_t>(reason)] += count;
  return row;
}
RowHealth Gateway(std::uint32_t samples, std::uint32_t failed, double averageMs, double jitterMs = 0.5) {
  RowHealth row = Row(TableKind::kPing, "192.168.1.1", samples, failed, averageMs, jitterMs);
  row.gateway = true;
  return row;
}
RowHealth Ping(std::string target, std::uint32_t failed = 0, double jitterMs = 2) {
  return Row(TableKind::kPing, std::move(target), 60, failed, 30, jitterMs);
}
RowHealth Game(std::string target, std::uint32_t failed = 0, double jitterMs = 2) {
  return Row(TableKind::kGame, std::move(target), 60, failed, 40, jitterMs);
}
RowHealth Dns(std::string target, double averageMs, std::uint32_t failed = 0) {
  return Row(TableKind::kDns, std::move(target), 20, failed, averageMs);
}

// A healthy network, to which each case adds or changes its own rows.
std::vector<RowHealth> HealthyRows() {
  return {Dns("www.a.test", 25), Dns("www.b.test", 30), Ping("a.test"),     Ping("b.test"),
          Gateway(60, 0, 1),     Game("g1.test:443"),   Game("g2.test:443")};
}

NetworkState With(std::vector<RowHealth> rows, std::vector<DnsServerHealth> servers = {}) {
  return {std::move(rows), std::move(servers), std::nullopt, false};
}

NetworkState Healthy() { return With(HealthyRows()); }

// The healthy rows with the row of this target replaced.
NetworkState Replacing(const std::string& target, RowHealth replacement, std::vector<DnsServerHealth> servers = {}) {
  std::vector<RowHealth> rows = HealthyRows();
  for (RowHealth& row : rows) {
    if (row.target == target) row = replacement;
  }
  return With(std::move(rows), std::move(servers));
}

NetworkState AllOutsideLose(bool withGateway) {
  std::vector<RowHealth> rows{Ping("a.test", 9), Ping("b.test", 12), Game("g1.test:443", 6), Game("g2.test:443", 0)};
  if (withGateway) rows.push_back(Gateway(60, 0, 1));
  return With(rows);
}

struct Case {
  const char* name;
  NetworkState state;
  std::vector<Finding> findings;
  // Texts that the first verdict's evidence must hold, each in some line.
  std::vector<std::string> evidence;
};

std::string Joined(const Verdict& verdict) {
  std::string all = verdict.headline;
  for (const std::string& line : verdict.evidence) all += "\n" + line;
  return all;
}

TEST(Diagnose, VerdictsOfPreparedStates) {
  const std::vector<DnsServerHealth> servers{{"198.51.100.1", 40, 0, 210},
                                             {"198.51.100.2", 30, 0, 24},
                                             {"198.51.100.3", 30, 15, 8},  // fast but failing half
                                             {"198.51.100.4", 3, 0, 5}};   // too few look-ups to judge
  const std::vector<Case> cases{
      {"nothing measured long enough yet",
       With({Gateway(kMinSamples - 1, 4, 0), Row(TableKind::kGame, "g1.test:443", 2, 2, 0)}),
       {Finding::kTooFewSamples},
       {}},
      {"no rows at all", With({}), {Finding::kTooFewSamples}, {}},
      {"all well", Healthy(), {Finding::kAllWell}, {"192.168.1.1", "外部目标 4 个"}},
      {"gateway loses, and the rows behind it too",
       With({Gateway(50, 5, 2), Ping("a.test", 6), Ping("b.test", 5), Game("g1.test:443", 6)}),
       {Finding::kLocalNetwork},
       {"192.168.1.1", "丢包 10.0%（5/50）", "也有 3 个受影响"}},
      {"gateway loses alone: the router declines pings to itself",
       Replacing("192.168.1.1", Gateway(60, 9, 2)),
       {Finding::kAllWell},
       {"丢包 15.0%", "限速回应"}},
      {"gateway slow", Replacing("192.168.1.1", Gateway(50, 0, 45)), {Finding::kLocalNetwork}, {"平均 45 ms"}},
      {"gateway jitters", Replacing("192.168.1.1", Gateway(50, 0, 8, 14)), {Finding::kLocalNetwork}, {"抖动 14 ms"}},
      {"gateway loss at the threshold",
       With({Gateway(150, 3, 1), Ping("a.test", 1), Ping("b.test", 1)}),
       {Finding::kLocalNetwork},
       {}},
      {"gateway loss under the threshold",
       With({Gateway(151, 3, 1), Ping("a.test", 1), Ping("b.test", 1)}),
       {Finding::kAllWell},
       {}},
      {"one lost ping is chance, not a fault",
       Replacing("192.168.1.1", Gateway(kMinSamples, 1, 1)),
       {Finding::kAllWell},
       {}},
      {"a gateway with too few samples is no evidence",
       Replacing("192.168.1.1", Gateway(kMinSamples - 1, 4, 0)),
       {Finding::kAllWell},
       {}},
      {"gateway trouble explains the outside's",
       With({Gateway(60, 6, 2), Ping("a.test", 9), Game("g1.test:443", 9)}),
       {Finding::kLocalNetwork},
       {"也有 2 个受影响"}},
      {"outside hosts lose behind a fine gateway",
       AllOutsideLose(true),
       {Finding::kProviderRoute},
       {"网关正常", "a.test", "b.test", "g1.test:443", "3 / 4"}},
      {"outside hosts lose, gateway not measured",
       AllOutsideLose(false),
       {Finding::kProviderRoute},
       {"网关没有测量数据"}},
      {"outside hosts jitter",
       With({Gateway(60, 0, 1), Ping("a.test", 0, 45), Game("g1.test:443", 0, 60)}),
       {Finding::kProviderRoute},
       {"抖动 45 ms", "抖动 60 ms"}},
      {"the only outside row in trouble",
       With({Gateway(60, 0, 1), Game("g1.test:443", 8)}),
       {Finding::kProviderRoute},
       {}},
      {"one game server alone",
       Replacing("g2.test:443", Game("g2.test:443", 0, 80)),
       {Finding::kSingleServer},
       {"g2.test:443", "其他外部目标中 3 个正常"}},
      {"two of six servers, named in one verdict",
       With({Gateway(60, 0, 1), Ping("a.test"), Ping("b.test"), Ping("c.test"), Game("g1.test:443", 10),
             Game("g2.test:443", 10)}),
       {Finding::kSingleServer},
       {"个别服务器：g1.test:443、g2.test:443，其他目标正常", "其他外部目标中 3 个正常"}},
      {"a refusing server is named by its refusals, not as loss",
       Replacing("g2.test:443", Failing(Game("g2.test:443"), FailureReason::kRefused, 12)),
       {Finding::kSingleServer},
       {"g2.test:443：丢包 0.0%（0/72），连接被拒绝 12 次"}},
      {"a refusing server beside a lossy route",
       With({Gateway(60, 0, 1), Ping("a.test", 9), Game("g1.test:443", 9),
             Failing(Game("g2.test:443"), FailureReason::kRefused, 12)}),
       {Finding::kProviderRoute, Finding::kSingleServer},
       {}},
      {"failed name lookups are DNS trouble, not loss",
       With({Gateway(60, 0, 1), Dns("www.a.test", 25), Failing(Ping("a.test"), FailureReason::kLookupTimeout, 20),
             Failing(Ping("b.test"), FailureReason::kLookupTimeout, 25),
             Failing(Game("g1.test:443"), FailureReason::kLookupFailed, 20), Game("g2.test:443")}),
       {Finding::kDns},
       {"a.test：丢包 0.0%（0/60），DNS 超时 20 次", "g1.test:443：丢包 0.0%（0/60），域名解析失败 20 次", "不是丢包",
        "在系统里设置"}},
      {"a row whose every lookup failed",
       With({Gateway(60, 0, 1), Failing(Row(TableKind::kPing, "a.test", 0, 0, 0), FailureReason::kLookupTimeout, 30),
             Ping("b.test"), Ping("c.test")}),
       {Finding::kDns},
       {"a.test：没有发出探测（30 次都没能解析出地址），DNS 超时 30 次"}},
      {"slow look-ups while pings are fine",
       Replacing("www.a.test", Dns("www.a.test", 400), servers),
       {Finding::kDns},
       {"www.a.test", "平均 400 ms", "198.51.100.2", "平均 24 ms", "ping正常：4 / 4", "在路由器管理页面"}},
      {"failing look-ups, no good server seen",
       Replacing("www.b.test", Dns("www.b.test", 20, 5)),
       {Finding::kDns},
       {"失败 25.0%（5/20）", "还没有测到正常的DNS服务器"}},
      {"slow look-ups and one server in trouble",
       With({Gateway(60, 0, 1), Dns("www.a.test", 300), Ping("a.test"), Ping("b.test"), Game("g1.test:443", 20)}),
       {Finding::kDns, Finding::kSingleServer},
       {"ping正常：2 / 3"}},
      {"slow look-ups behind a lossy route are the route's",
       With({Gateway(60, 0, 1), Dns("www.a.test", 500), Ping("a.test", 10), Game("g1.test:443", 10)}),
       {Finding::kProviderRoute},
       {}},
      {"slow look-ups behind a lossy gateway are the LAN's",
       With({Gateway(60, 10, 1), Dns("www.a.test", 500), Ping("a.test", 8)}),
       {Finding::kLocalNetwork},
       {}},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.name);
    const std::vector<Verdict> verdicts = Diagnose(each.state);
    std::vector<Finding> findings;
    for (const Verdict& verdict : verdicts) {
      findings.push_back(verdict.finding);
      EXPECT_FALSE(verdict.headline.empty());
    }
    EXPECT_EQ(findings, each.findings);
    if (verdicts.empty()) continue;
    const std::string first = Joined(verdicts.front());
    for (const std::string& text : each.evidence)
      EXPECT_NE(first.find(text), std::string::npos) << text << "\n" << first;
  }
}

TEST(Diagnose, SaysWhichWindowItJudged) {
  NetworkState state = Healthy();
  state.window = std::chrono::seconds(120);
  EXPECT_NE(Joined(Diagnose(state).front()).find("判断依据：最近 2 分钟的测量，每行至少 20 次"), std::string::npos);
  state.window = std::chrono::seconds(75);
  state.sinceRetest = true;
  EXPECT_NE(Joined(Diagnose(state).front()).find("重新测试以来 75 秒"), std::string::npos);
}

TEST(Diagnose, NamesNoDnsServerWithoutEnoughLookups) {
  const NetworkState state = Replacing("www.a.test", Dns("www.a.test", 400), {{"198.51.100.4", kMinSamples - 1, 0, 5}});
  const std::string text = Joined(Diagnose(state).front());
  EXPECT_EQ(text.find("198.51.100.4"), std::string::npos) << text;
}

}  // namespace
}  // namespace qnc
