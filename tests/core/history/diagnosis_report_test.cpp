// The diagnosis window's content: numbered, toned verdicts, their rich and
// plain forms, and the figures gathered from a probe session.
#include "core/history/diagnosis_report.h"

#include <gtest/gtest.h>

#include "core/history/history_text.h"
#include "core/probe/probe_session.h"
#include "history_sample.h"

namespace qnc {
namespace {

TEST(DiagnosisReport, NumbersSeveralVerdictsAndGivesEachItsTone) {
  const std::vector<Verdict> verdicts{{Finding::kLocalNetwork, "局域网", {"a", "b"}},
                                      {Finding::kDns, "DNS", {}},
                                      {Finding::kAllWell, "网络正常", {}},
                                      {Finding::kTooFewSamples, "样本不足", {}}};
  const DiagnosisReport report = DiagnosisReportOf(verdicts, test::SecondAt(0));
  ASSERT_EQ(report.verdicts.size(), 4u);
  EXPECT_EQ(report.verdicts[0].headline, "1. 局域网");
  EXPECT_EQ(report.verdicts[3].headline, "4. 样本不足");
  EXPECT_EQ(report.verdicts[0].evidence, (std::vector<std::string>{"a", "b"}));
  const VerdictTone tones[] = {VerdictTone::kTrouble, VerdictTone::kTrouble, VerdictTone::kAllWell,
                               VerdictTone::kUndecided};
  for (std::size_t at = 0; at < 4; ++at) EXPECT_EQ(report.verdicts[at].tone, tones[at]) << at;
  EXPECT_EQ(report.timeLine, "检测时间：" + TimeOfDayText(test::SecondAt(0)));

  const DiagnosisReport single = DiagnosisReportOf({verdicts[2]}, test::SecondAt(0));
  EXPECT_EQ(single.verdicts[0].headline, "网络正常") << "a single verdict is not numbered";
}

TEST(DiagnosisReport, RichTextEscapesTheRowsTextsAndPlainTextListsThem) {
  DiagnosisReport report;
  report.verdicts = {{"问题只在单个服务器: <a&b>", VerdictTone::kTrouble, {"游戏表 \"x\"<y>: 丢包"}},
                     {"网络正常", VerdictTone::kAllWell, {}}};
  const std::string html = DiagnosisHtml(report);
  EXPECT_NE(html.find("<span style=\"color:#c62828\">问题只在单个服务器: &lt;a&amp;b&gt;</span>"), std::string::npos)
      << html;
  EXPECT_NE(html.find("<li>游戏表 &quot;x&quot;&lt;y&gt;: 丢包</li>"), std::string::npos) << html;
  EXPECT_NE(html.find("<span style=\"color:#2e7d32\">网络正常</span>"), std::string::npos) << html;
  EXPECT_EQ(html.find("<a&b>"), std::string::npos);
  EXPECT_EQ(html.rfind("<ul"), html.find("<ul")) << "no list for a verdict without evidence";

  EXPECT_EQ(DiagnosisPlainText(report), "问题只在单个服务器: <a&b>\n  • 游戏表 \"x\"<y>: 丢包\n\n网络正常\n");
}

TEST(DiagnosisModel, RunsOnTheFiguresOfEachRun) {
  int runs = 0;
  DiagnosisModel model([&runs] {
    ++runs;
    return NetworkState{};
  });
  const DiagnosisReport& report = model.Run(test::SecondAt(0));
  EXPECT_EQ(runs, 1);
  ASSERT_FALSE(model.Verdicts().empty());
  EXPECT_EQ(model.Verdicts().front().finding, Finding::kTooFewSamples);
  EXPECT_EQ(report.verdicts.front().tone, VerdictTone::kUndecided);
  model.Run(test::SecondAt(60));
  EXPECT_EQ(runs, 2);
  EXPECT_EQ(model.Report().timeLine, "检测时间：" + TimeOfDayText(test::SecondAt(60)));
}

// Made out of line: GCC 12 at -O3 takes options built inline in the caller
// for half-built (a false "may be used uninitialized" of their listeners).
[[gnu::noinline]] ProbeSessionOptions QuietSessionOptions() {
  ProbeSessionOptions options;
  options.routeTablePath = "/nonexistent/route";
  return options;
}

TEST(SessionNetworkState, ReadsEveryTableWithTheGatewayMarked) {
  ProbeSession session(QuietSessionOptions());
  session.AppendRows(TableKind::kPing, {"a.test", "192.168.1.1"});
  session.AppendRows(TableKind::kGame, {"g.test:443"});
  const auto now = std::chrono::system_clock::now();
  session.Table(TableKind::kPing).RowAt(1).counters->history.Append({now, 2000, FailureReason::kNone});
  const NetworkState state = SessionNetworkState(session, "192.168.1.1", now);
  ASSERT_EQ(state.rows.size(), 3u);
  EXPECT_FALSE(state.rows[0].gateway);
  EXPECT_TRUE(state.rows[1].gateway);
  EXPECT_EQ(state.rows[1].samples, 1u);
  EXPECT_EQ(state.rows[2].table, TableKind::kGame);
  EXPECT_TRUE(state.dnsServers.empty()) << "nothing queried yet";
}

}  // namespace
}  // namespace qnc
