// "【检测】" opens the diagnosis window on the tables' figures; "重新检测" looks
// again. Each row's tooltip tells why its latest probe failed.
#include "qt/history/diagnosis_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>

#include "app_test_support.h"
#include "qt/app/main_window.h"
#include "views/templates/control_ids.h"
#include "views/templates/history_templates.h"

namespace qnc {
namespace {

using test::Find;

Sample At(int second, double ms, FailureReason outcome = FailureReason::kNone) {
  return {std::chrono::system_clock::time_point(std::chrono::seconds(1'800'000'000 + second)),
          static_cast<std::uint32_t>(ms * 1000), outcome};
}

class HistoryOfRows : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    // The route table names 192.168.1.1 as the gateway.
    MainWindowOptions options = test::StillOptions(folder_, "0101A8C0");
    options.defaultRows = false;
    options.dnsRows = {"www.a.test"};
    options.pingRows = {"a.test", "192.168.1.1"};
    options.gameRows = {"g1.test:443", "g2.test:443"};
    options.icmpUnavailableReason = [] { return std::nullopt; };
    window_ = std::make_unique<CQUORIX_NET_CHECKDlg>(options);
    window_->show();
  }

  SampleRing& History(TableKind kind, int row) { return window_->Table(kind).RowAt(row).counters->history; }

  // Twenty probes of the row made just now (the diagnosis judges the recent
  // ones), answered in `ms`, of which the first `failed` fail.
  void Measure(TableKind kind, int row, double ms, int failed = 0) {
    const auto now = std::chrono::system_clock::now();
    for (int probe = 0; probe < 20; ++probe) {
      const FailureReason outcome = probe < failed ? FailureReason::kTimeout : FailureReason::kNone;
      History(kind, row).Append({now, static_cast<std::uint32_t>(ms * 1000), outcome});
    }
  }

  QString VerdictText() const {
    auto* text = window_->History().Diagnosis()->ControlAs<QTextBrowser>(id::kDiagnosisVerdicts);
    return text == nullptr ? QString() : text->toPlainText();
  }

  QTemporaryDir folder_;
  std::unique_ptr<CQUORIX_NET_CHECKDlg> window_;
};

TEST_F(HistoryOfRows, CheckMenuShowsTheVerdictAndRerunLooksAgain) {
  Measure(TableKind::kDns, 0, 30);
  Measure(TableKind::kPing, 0, 35, 6);  // the host behind it loses too: the LAN's loss
  Measure(TableKind::kPing, 1, 2, 3);   // the gateway loses 15 %
  Measure(TableKind::kGame, 0, 40);
  Measure(TableKind::kGame, 1, 40);

  QAction* check = Find<QMenuBar>(*window_, id::kMainMenuBar)->findChild<QAction*>(QStringLiteral("32780"));
  ASSERT_NE(check, nullptr);
  check->trigger();
  DiagnosisWindow* diagnosis = window_->History().Diagnosis();
  ASSERT_NE(diagnosis, nullptr);
  EXPECT_TRUE(diagnosis->isVisible());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  ASSERT_FALSE(diagnosis->Verdicts().empty());
  EXPECT_EQ(diagnosis->Verdicts().front().finding, Finding::kLocalNetwork);
  EXPECT_TRUE(VerdictText().contains(QStringLiteral("局域网"))) << VerdictText().toStdString();
  EXPECT_TRUE(VerdictText().contains(QStringLiteral("192.168.1.1：丢包 15.0%（3/20）"))) << VerdictText().toStdString();

  // The gateway recovers ("重新测试PING" clears the histories, and the
  // diagnosis judges only what came after it); the button looks again.
  window_->Commands().RetestPing();
  Measure(TableKind::kPing, 0, 35);
  Measure(TableKind::kPing, 1, 2);
  QTest::mouseClick(diagnosis->ControlAs<QPushButton>(id::kDiagnosisRerunButton), Qt::LeftButton);
  EXPECT_EQ(diagnosis->Verdicts().front().finding, Finding::kAllWell);
  EXPECT_TRUE(VerdictText().contains(QStringLiteral("网络正常"))) << VerdictText().toStdString();
  EXPECT_TRUE(VerdictText().contains(QStringLiteral("判断依据：重新测试以来"))) << VerdictText().toStdString();

  // The menu item again: the same window.
  check->trigger();
  EXPECT_EQ(window_->History().Diagnosis(), diagnosis);
}

TEST_F(HistoryOfRows, TooltipTellsWhyTheLatestProbeFailed) {
  const QString notice = QStringLiteral("notice");
  struct Case {
    const char* name;
    std::vector<Sample> samples;
    bool withNotice;
    QVariant expected;
  };
  const std::vector<Case> cases{
      {"no probe yet", {}, false, QVariant()},
      {"answered last", {At(0, 5, FailureReason::kRefused), At(1, 5)}, false, QVariant()},
      {"refused last",
       {At(0, 5), At(1, 5, FailureReason::kRefused)},
       false,
       QStringLiteral("最近一次测量失败：连接被拒绝")},
      {"beside the table's notice",
       {At(0, 5, FailureReason::kNoPermission)},
       true,
       QStringLiteral("最近一次测量失败：没有权限发送 ping\n\nnotice")},
      {"the notice alone", {At(0, 5)}, true, notice},
  };
  ProbeTableModel& model = window_->Model(TableKind::kPing);
  for (const Case& each : cases) {
    SCOPED_TRACE(each.name);
    History(TableKind::kPing, 0).Clear();
    for (const Sample& sample : each.samples) History(TableKind::kPing, 0).Append(sample);
    model.SetRowToolTip(each.withNotice ? notice : QString());
    EXPECT_EQ(model.data(model.index(0, cell::kLatency), Qt::ToolTipRole), each.expected);
  }
}

}  // namespace
}  // namespace qnc
