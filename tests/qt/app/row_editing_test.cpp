// Adding and deleting rows through the tables' context menus and input boxes.
#include <gtest/gtest.h>

#include <QItemSelectionModel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app_test_support.h"
#include "qt/app/main_window.h"
#include "views/templates/control_ids.h"

namespace qnc {
namespace {

using test::Find;
using Rows = std::vector<std::vector<std::string>>;

struct TableCase {
  TableKind table;
  int add;
  int remove;
};

const std::vector<TableCase> kTables{
    {TableKind::kDns, id::kAddDomain, id::kDeleteDomain},
    {TableKind::kPing, id::kAddPing, id::kDeletePing},
    {TableKind::kGame, id::kAddGameServer, id::kDeleteGameServer},
};

class RowEditing : public ::testing::Test {
 protected:
  void SetUp() override {
    test::App();
    MainWindowOptions options = test::StillOptions(folder_, "");
    options.defaultRows = false;
    options.dnsRows = {"a.test", "b.test", "c.test", "d.test"};
    options.pingRows = options.dnsRows;
    options.gameRows = options.dnsRows;
    window_ = std::make_unique<CQUORIX_NET_CHECKDlg>(options);
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(test::WaitUntil([&] { return window_->isActiveWindow(); }));
  }

  QWidget& Viewport(TableKind table) { return *window_->View(table).viewport(); }

  QPoint RowPoint(TableKind table, int row) {
    const QTableView& view = window_->View(table);
    return view.visualRect(view.model()->index(row, 1)).center();
  }

  // Below the last row: empty space inside the list.
  QPoint EmptyPoint(TableKind table) { return QPoint(5, Viewport(table).height() - 3); }

  void ClickRow(TableKind table, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::mouseClick(&Viewport(table), Qt::LeftButton, modifiers, RowPoint(table, row));
  }

  // Right-clicks the table at `where` and chooses `command` from its menu;
  // `inBox` then acts on the input box that the command opens.
  void ChooseFromMenu(TableKind table, QPoint where, int command, std::function<void(QWidget&)> inBox = {}) {
    test::OnNextModal([command, inBox](QWidget& popup) {
      auto* menu = qobject_cast<QMenu*>(&popup);
      ASSERT_NE(menu, nullptr);
      QAction* action = menu->findChild<QAction*>(QString::number(command));
      ASSERT_NE(action, nullptr);
      if (inBox) test::OnNextModal(inBox);
      QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(action).center());
    });
    test::RightClick(Viewport(table), where);
  }

  Rows Targets(TableKind table) {
    Rows rows = window_->Table(table).Snapshot();
    for (auto& row : rows) row.resize(1);
    return rows;
  }

  QTemporaryDir folder_;
  std::unique_ptr<CQUORIX_NET_CHECKDlg> window_;
};

TEST_F(RowEditing, AddAppendsTheTextExactlyAsTyped) {
  const QString typed = QStringLiteral(" 192.168.1.1 ");
  for (const TableCase& table : kTables) {
    SCOPED_TRACE(table.add);
    ChooseFromMenu(table.table, EmptyPoint(table.table), table.add, [&](QWidget& box) {
      test::Type(*Find<QLineEdit>(box, id::kInputEdit), typed);
      if (auto* description = Find<QLineEdit>(box, id::kDescriptionEdit)) {
        test::Type(*description, QStringLiteral("本地 服务器"));
      }
      QTest::mouseClick(Find<QPushButton>(box, id::kOk), Qt::LeftButton);
    });
    const Rows rows = window_->Table(table.table).Snapshot();
    ASSERT_EQ(rows.size(), 5u);
    std::vector<std::string> expected(rows[4].size());
    expected[cell::kTarget] = typed.toStdString();
    if (table.table == TableKind::kGame) expected[cell::kGameDescription] = "本地 服务器";
    EXPECT_EQ(rows[4], expected);
    EXPECT_EQ(window_->View(table.table).model()->rowCount(), 5);
  }
}

TEST_F(RowEditing, AnEmptyTextAddsAnEmptyRowAndEscAddsNothing) {
  for (const TableCase& table : kTables) {
    SCOPED_TRACE(table.add);
    ChooseFromMenu(table.table, RowPoint(table.table, 0), table.add, [](QWidget& box) {
      test::Type(*Find<QLineEdit>(box, id::kInputEdit), QStringLiteral("never added"));
      QTest::keyClick(Find<QLineEdit>(box, id::kInputEdit), Qt::Key_Escape);
    });
    EXPECT_EQ(Targets(table.table), (Rows{{"a.test"}, {"b.test"}, {"c.test"}, {"d.test"}}));

    ChooseFromMenu(table.table, EmptyPoint(table.table), table.add,
                   [](QWidget& box) { QTest::mouseClick(Find<QPushButton>(box, id::kOk), Qt::LeftButton); });
    EXPECT_EQ(Targets(table.table), (Rows{{"a.test"}, {"b.test"}, {"c.test"}, {"d.test"}, {""}}));
  }
}

TEST_F(RowEditing, DeleteWithoutASelectionDoesNothing) {
  for (const TableCase& table : kTables) {
    // A current row that is not selected (what taking the focus leaves) is no selection.
    QTableView& view = window_->View(table.table);
    view.selectionModel()->setCurrentIndex(view.model()->index(0, 0), QItemSelectionModel::NoUpdate);
    ASSERT_TRUE(view.currentIndex().isValid());
    ASSERT_FALSE(view.selectionModel()->hasSelection());
    ChooseFromMenu(table.table, EmptyPoint(table.table), table.remove);
    EXPECT_EQ(Targets(table.table).size(), 4u) << table.remove;
  }
}

TEST_F(RowEditing, DeleteRemovesTheRowOfTheSelectionMarkOnly) {
  for (const TableCase& table : kTables) {
    SCOPED_TRACE(table.remove);
    ClickRow(table.table, 1);
    ChooseFromMenu(table.table, RowPoint(table.table, 1), table.remove);
    EXPECT_EQ(Targets(table.table), (Rows{{"a.test"}, {"c.test"}, {"d.test"}}));

    // The selection went with the row: a second delete finds nothing to remove.
    ChooseFromMenu(table.table, EmptyPoint(table.table), table.remove);
    EXPECT_EQ(Targets(table.table).size(), 3u);

    // Several rows selected: only the row where the latest selection was made goes.
    ClickRow(table.table, 0);
    ClickRow(table.table, 2, Qt::ShiftModifier);
    EXPECT_EQ(window_->View(table.table).selectionModel()->selectedRows().size(), 3);
    ChooseFromMenu(table.table, EmptyPoint(table.table), table.remove);
    EXPECT_EQ(Targets(table.table), (Rows{{"a.test"}, {"c.test"}}));
  }
}

TEST_F(RowEditing, RightClickOnARowSelectsItForDelete) {
  // The mouse button selects the row under it before the menu opens.
  QTest::mouseClick(&Viewport(TableKind::kGame), Qt::RightButton, Qt::NoModifier, RowPoint(TableKind::kGame, 3));
  ChooseFromMenu(TableKind::kGame, RowPoint(TableKind::kGame, 3), id::kDeleteGameServer);
  EXPECT_EQ(Targets(TableKind::kGame), (Rows{{"a.test"}, {"b.test"}, {"c.test"}}));
}

}  // namespace
}  // namespace qnc
