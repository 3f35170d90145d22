// Ctrl+C on a table puts its selected rows, or all of them, on the clipboard
// as tab-separated text under the column captions.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QTableView>
#include <QTest>

#include "app_test_support.h"
#include "qt/app/main_window.h"

namespace qnc {
namespace {

class TableCopy : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    MainWindowOptions options = test::StillOptions(folder_, "");
    options.defaultRows = false;
    options.pingRows = {"a.test", "b.test", "c.test"};
    options.gameRows = {"g.test:443"};
    window_ = std::make_unique<CQUORIX_NET_CHECKDlg>(options);
    ProbeTableModel& ping = window_->Model(TableKind::kPing);
    ping.SetCell(0, cell::kLatency, "12");
    ping.SetCell(1, cell::kLatency, "超时");
    ping.SetCell(2, cell::kLoss, " 0.00%   [0(3)]");
    window_->Model(TableKind::kGame).SetCell(0, cell::kGameDescription, "tab\there");
    window_->show();
  }

  // Clicks the rows in order, with Ctrl after the first, as a user adds rows to a selection.
  void Select(TableKind kind, const std::vector<int>& rows) {
    QTableView& view = window_->View(kind);
    for (std::size_t at = 0; at < rows.size(); ++at) {
      QTest::mouseClick(view.viewport(), Qt::LeftButton, at == 0 ? Qt::NoModifier : Qt::ControlModifier,
                        view.visualRect(view.model()->index(rows[at], 0)).center());
    }
  }

  QString CopyWithKeys(TableKind kind) {
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    QTableView& view = window_->View(kind);
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    return QGuiApplication::clipboard()->text();
  }

  QTemporaryDir folder_;
  std::unique_ptr<CQUORIX_NET_CHECKDlg> window_;
};

TEST_F(TableCopy, CopiesTheSelectedRowsOrAllUnderTheCaptions) {
  const QString captions = QStringLiteral("域名或者ip\t延时\t平均延迟\t丢包率\t质量\n");
  const QString rowA = QStringLiteral("a.test\t12\t\t\t\n");
  const QString rowB = QStringLiteral("b.test\t超时\t\t\t\n");
  const QString rowC = QStringLiteral("c.test\t\t\t 0.00%   [0(3)]\t\n");
  struct Case {
    const char* name;
    std::vector<int> clicked;
    QString expected;
  };
  const std::vector<Case> cases{
      {"nothing selected: every row", {}, captions + rowA + rowB + rowC},
      {"one row", {1}, captions + rowB},
      {"rows picked out of order come in table order", {2, 0}, captions + rowA + rowC},
  };
  for (const Case& each : cases) {
    SCOPED_TRACE(each.name);
    window_->View(TableKind::kPing).clearSelection();
    Select(TableKind::kPing, each.clicked);
    EXPECT_EQ(CopyWithKeys(TableKind::kPing), each.expected);
  }
}

TEST_F(TableCopy, ATabInsideACellDoesNotSplitTheColumn) {
  EXPECT_EQ(CopyWithKeys(TableKind::kGame),
            QStringLiteral("域名或者ip\t延时\t平均延迟\t丢包率\t质量\t描述\ng.test:443\t\t\t\t\ttab here\n"));
}

}  // namespace
}  // namespace qnc
