// The window with its workers measuring loopback targets: row edits while
// they write, resets, and the DNS server box.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <map>
#include <random>

#include "app_test_support.h"
#include "qt/app/main_window.h"
#include "views/templates/control_ids.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;
using test::Find;

struct Figures {
  std::uint32_t lost;
  std::uint32_t answered;
  std::uint32_t latencySum;
  bool operator==(const Figures&) const = default;
};

Figures FiguresOf(const RowRef& row) {
  return {row.counters->lost.load(), row.counters->answered.load(), row.counters->latencySum.load()};
}

std::uint32_t Probes(const RowRef& row) { return row.counters->lost.load() + row.counters->answered.load(); }

std::vector<Figures> AllFigures(TableStore& table) {
  std::vector<Figures> figures;
  for (int row = 0; row < table.RowCount(); ++row) figures.push_back(FiguresOf(table.RowAt(row)));
  return figures;
}

class MeasuringWindow : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }

  void Open(MainWindowOptions options) {
    window_ = std::make_unique<CQUORIX_NET_CHECKDlg>(std::move(options));
    window_->show();
  }

  // Waits until every row of the table has been probed at least `count` times.
  bool WaitForProbes(TableKind kind, std::uint32_t count, std::chrono::milliseconds limit = 15s) {
    TableStore& table = window_->Table(kind);
    return test::WaitUntil(
        [&] {
          for (int row = 0; row < table.RowCount(); ++row) {
            if (Probes(table.RowAt(row)) < count) return false;
          }
          return table.RowCount() > 0;
        },
        limit);
  }

  void SelectRow(TableKind kind, int row) {
    QTableView& view = window_->View(kind);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier,
                      view.visualRect(view.model()->index(row, 0)).center());
  }

  test::OpenPort open_;
  const std::string closed_ = "127.0.0.1:" + std::to_string(test::ClosedPort());
  QTemporaryDir folder_;
  std::unique_ptr<CQUORIX_NET_CHECKDlg> window_;
};

TEST_F(MeasuringWindow, DeletingTheSecondOfFourRowsKeepsEveryOtherRowsFigures) {
  MainWindowOptions options = test::LoopbackOptions(folder_);
  options.gameRows = {open_.Target(), closed_};
  Open(options);
  ASSERT_TRUE(WaitForProbes(TableKind::kGame, 3));
  // Rows added later have fewer probes, so each row's figures are its own.
  ProbeTableModel& model = window_->Model(TableKind::kGame);
  model.AppendRow(closed_);
  model.AppendRow(open_.Target());
  ASSERT_TRUE(WaitForProbes(TableKind::kGame, 1));
  ASSERT_TRUE(window_->StopWorkers(5s));

  TableStore& table = window_->Table(TableKind::kGame);
  const std::vector<Figures> before = AllFigures(table);
  const auto cells = table.Snapshot();
  ASSERT_GT(before[1].lost, before[2].lost) << "row 1 was measured longer than row 2";

  SelectRow(TableKind::kGame, 1);
  window_->Commands().DeleteSelectedRow(TableKind::kGame);

  EXPECT_EQ(AllFigures(table), (std::vector<Figures>{before[0], before[2], before[3]}));
  EXPECT_EQ(table.Snapshot(), (std::vector<std::vector<std::string>>{cells[0], cells[2], cells[3]}));
  EXPECT_EQ(window_->View(TableKind::kGame).model()->rowCount(), 3);
}

TEST_F(MeasuringWindow, DeletedRowsCarryOnWithTheirOwnCountersWhileMeasured) {
  MainWindowOptions options = test::LoopbackOptions(folder_);
  options.gameRows = {open_.Target(), closed_, closed_, open_.Target()};
  Open(options);
  ASSERT_TRUE(WaitForProbes(TableKind::kGame, 2));
  TableStore& table = window_->Table(TableKind::kGame);
  const RowRef keptClosed = table.RowAt(2);
  const RowRef keptOpen = table.RowAt(3);
  SelectRow(TableKind::kGame, 1);
  window_->Commands().DeleteSelectedRow(TableKind::kGame);
  const std::uint32_t closedBefore = Probes(keptClosed);
  ASSERT_TRUE(test::WaitUntil([&] { return Probes(table.RowAt(1)) >= closedBefore + 2; }));
  // The closed row that moved up keeps failing on its own counters; the open
  // row keeps succeeding on its own.
  EXPECT_EQ(table.RowAt(1).counters, keptClosed.counters);
  EXPECT_EQ(table.RowAt(2).counters, keptOpen.counters);
  EXPECT_EQ(keptClosed.counters->answered.load(), 0u);
  EXPECT_EQ(keptOpen.counters->lost.load(), 0u);
}

TEST_F(MeasuringWindow, AThirtyThirdRowIsMeasured) {
  MainWindowOptions options = test::LoopbackOptions(folder_);
  options.gameRows.assign(32, open_.Target());
  Open(options);
  test::OnNextModal([&](QWidget& box) {
    test::Type(*Find<QLineEdit>(box, id::kInputEdit), QString::fromStdString(closed_));
    QTest::mouseClick(Find<QPushButton>(box, id::kOk), Qt::LeftButton);
  });
  window_->Commands().AddRow(TableKind::kGame);
  TableStore& table = window_->Table(TableKind::kGame);
  ASSERT_EQ(table.RowCount(), 33);
  ASSERT_TRUE(test::WaitUntil([&] { return table.CellAt(32, cell::kLoss) == " 100.00%   [2(2)]"; }));
  EXPECT_EQ(table.CellAt(32, cell::kLatency), "超时");
  EXPECT_EQ(table.CellAt(31, cell::kQuality).empty(), false);
  EXPECT_EQ(window_->View(TableKind::kGame).model()->index(32, cell::kLatency).data().toString(),
            QStringLiteral("超时"));
}

TEST_F(MeasuringWindow, DnsWorkerFillsTheServerBox) {
  Open(test::LoopbackOptions(folder_));
  EXPECT_TRUE(test::WaitUntil([&] { return window_->DnsServerEdit().text() == QStringLiteral("127.0.0.1"); }));
}

// While the server box names no whole address the box turns red and it and
// every DNS row say why; a whole address clears the marks.
TEST_F(MeasuringWindow, ServerBoxThatNamesNoServerIsMarkedOnTheBoxAndTheDnsRows) {
  MainWindowOptions options = test::LoopbackOptions(folder_);
  options.dnsRows = {"a.test", "b.test"};
  Open(options);
  QLineEdit& box = window_->DnsServerEdit();
  ASSERT_TRUE(test::WaitUntil([&] { return box.text() == QStringLiteral("127.0.0.1"); }));
  const QColor normal = box.palette().color(QPalette::Base);
  ProbeTableModel& dns = window_->Model(TableKind::kDns);
  const auto rowTip = [&](int row) { return dns.data(dns.index(row, 0), Qt::ToolTipRole).toString(); };

  struct Case {
    QString text;
    bool marked;
    QString said;
  };
  const Case cases[] = {
      {QStringLiteral("10.77.0"), true, QStringLiteral("“10.77.0”不是完整的 IPv4 地址")},
      {QStringLiteral("10.77.0.1"), false, {}},
      {QStringLiteral("abc"), true, QStringLiteral("“abc”不是完整的 IPv4 地址")},
      {QString(), true, QStringLiteral("是空的")},
      {QStringLiteral("127.0.0.1"), false, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    box.selectAll();
    test::PressKey(box, Qt::Key_Delete);
    test::Type(box, c.text);
    ASSERT_EQ(box.text(), c.text);
    EXPECT_EQ(box.palette().color(QPalette::Base) == QColor::fromRgba(kInvalidServerBoxColour), c.marked);
    if (c.marked) {
      EXPECT_TRUE(box.toolTip().contains(c.said)) << box.toolTip().toStdString();
      for (int row = 0; row < 2; ++row) EXPECT_TRUE(rowTip(row).contains(box.toolTip())) << rowTip(row).toStdString();
    } else {
      EXPECT_EQ(box.palette().color(QPalette::Base), normal);
      EXPECT_EQ(box.toolTip(), QString());
      for (int row = 0; row < 2; ++row) EXPECT_FALSE(rowTip(row).contains(QStringLiteral("DNS 表暂不查询")));
    }
  }
}

TEST_F(MeasuringWindow, RetestsResetExactlyTheirTable) {
  struct Case {
    const char* name;
    std::function<void(CQUORIX_NET_CHECKDlg&)> act;
    TableKind reset;
  };
  const std::vector<Case> cases{
      {"确认修改dns", [](auto& w) { QTest::mouseClick(Find<QPushButton>(w, id::kConfirmDnsButton), Qt::LeftButton); },
       TableKind::kDns},
      {"重新测试dns", [](auto& w) { QTest::mouseClick(Find<QPushButton>(w, id::kRetestDnsButton), Qt::LeftButton); },
       TableKind::kDns},
      {"重新测试PING", [](auto& w) { QTest::mouseClick(Find<QPushButton>(w, id::kRetestPingButton), Qt::LeftButton); },
       TableKind::kPing},
  };
  for (const Case& retest : cases) {
    SCOPED_TRACE(retest.name);
    MainWindowOptions options = test::LoopbackOptions(folder_);
    options.dnsRows = {"a.test", "b.test"};
    options.pingRows = {"127.0.0.1", "127.0.0.1"};
    options.gameRows = {open_.Target(), closed_};
    Open(options);
    for (const TableKind kind : {TableKind::kDns, TableKind::kPing, TableKind::kGame}) {
      ASSERT_TRUE(WaitForProbes(kind, 2));
    }
    // Wait for the worker's own write into the server box, which resets too.
    ASSERT_TRUE(test::WaitUntil([&] { return window_->DnsServerEdit().text() == QStringLiteral("127.0.0.1"); }));
    ASSERT_TRUE(WaitForProbes(TableKind::kDns, 2));
    ASSERT_TRUE(window_->StopWorkers(5s));

    std::map<TableKind, std::vector<Figures>> before;
    for (const TableKind kind : {TableKind::kDns, TableKind::kPing, TableKind::kGame}) {
      before[kind] = AllFigures(window_->Table(kind));
    }
    const auto cells = window_->Table(retest.reset).Snapshot();
    retest.act(*window_);
    for (const TableKind kind : {TableKind::kDns, TableKind::kPing, TableKind::kGame}) {
      const std::vector<Figures> after = AllFigures(window_->Table(kind));
      if (kind == retest.reset) {
        EXPECT_EQ(after, std::vector<Figures>(after.size(), Figures{0, 0, 0})) << static_cast<int>(kind);
      } else {
        EXPECT_EQ(after, before[kind]) << static_cast<int>(kind);
      }
    }
    EXPECT_EQ(window_->Table(retest.reset).Snapshot(), cells) << "a reset keeps the cells";
    window_.reset();
  }
}

// Rows to 127.0.0.1 on an open port never time out and rows on a closed port
// never succeed, so a result written into the wrong row shows.
void ExpectEveryRowShowsItsOwnResults(TableStore& table, const std::string& closed) {
  const auto cells = table.Snapshot();
  for (int row = 0; row < static_cast<int>(cells.size()); ++row) {
    const auto& shown = cells[static_cast<std::size_t>(row)];
    if (shown[cell::kLatency].empty()) continue;  // not probed yet
    const bool failing = shown[cell::kTarget] == closed;
    EXPECT_EQ(shown[cell::kLatency] == "超时", failing) << shown[cell::kTarget] << " shows " << shown[cell::kLatency];
    const RowRef ref = table.RowAt(row);
    if (failing) {
      EXPECT_EQ(ref.counters->answered.load(), 0u) << "row " << row;
    } else {
      EXPECT_EQ(ref.counters->lost.load(), 0u) << "row " << row;
    }
  }
}

TEST_F(MeasuringWindow, UserEditsWhileTheWorkerWrites) {
  MainWindowOptions options = test::LoopbackOptions(folder_);
  options.game.pauseMs = 0;
  for (int i = 0; i < 12; ++i) options.gameRows.push_back(i % 2 == 0 ? open_.Target() : closed_);
  Open(options);
  TableStore& table = window_->Table(TableKind::kGame);
  ProbeTableModel& model = window_->Model(TableKind::kGame);
  ASSERT_TRUE(WaitForProbes(TableKind::kGame, 1));

  std::mt19937 random(7);
  QElapsedTimer clock;
  clock.start();
  int edits = 0;
  while (edits < 400 && clock.elapsed() < 3000) {
    const int rows = model.rowCount();
    if (rows > 4 && random() % 3 != 0) {
      SelectRow(TableKind::kGame, static_cast<int>(random() % static_cast<unsigned>(rows)));
      window_->Commands().DeleteSelectedRow(TableKind::kGame);
    } else {
      model.AppendRow(random() % 2 == 0 ? open_.Target() : closed_);
    }
    ++edits;
    test::WaitUntil([] { return false; }, 2ms);  // let the refreshes through
    ExpectEveryRowShowsItsOwnResults(table, closed_);
    if (::testing::Test::HasFailure()) break;
  }
  EXPECT_GT(edits, 20);
  EXPECT_EQ(model.rowCount(), table.RowCount());
  ASSERT_TRUE(window_->StopWorkers(5s));
  ExpectEveryRowShowsItsOwnResults(table, closed_);
}

}  // namespace
}  // namespace qnc
