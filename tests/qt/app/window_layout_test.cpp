// The main window as it opens: controls, columns, default rows and menus.
#include <gtest/gtest.h>

#include <QAction>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>

#include "app_test_support.h"
#include "qt/app/main_window.h"
#include "qt/app/menus.h"
#include "qt/widgets/control_name.h"
#include "qt/widgets/dialog_units.h"
#include "views/templates/control_ids.h"
#include "views/templates/history_templates.h"
#include "views/templates/window_templates.h"

namespace qnc {
namespace {

using test::Find;

class MainWindowLayout : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }
  QTemporaryDir folder_;
};

TEST_F(MainWindowLayout, EveryTemplateControlSitsWhereItsDialogUnitsSay) {
  CQUORIX_NET_CHECKDlg window(test::StillOptions(folder_, ""));
  window.show();
  const DialogUnits& units = window.Units();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Quorix路由测试工具"));
  EXPECT_EQ(window.minimumSize(), window.maximumSize()) << "fixed size";
  EXPECT_EQ(window.ClientArea()->size(), QSize(units.X(495), units.Y(397)));
  EXPECT_FALSE(window.windowIcon().isNull());

  const QList<QWidget*> controls = window.ClientArea()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  const auto& expected = MainDialogTemplate().controls;
  ASSERT_EQ(controls.size(), static_cast<qsizetype>(expected.size()));
  for (std::size_t i = 0; i < expected.size(); ++i) {
    const QWidget& control = *controls[static_cast<qsizetype>(i)];
    SCOPED_TRACE(expected[i].text);
    EXPECT_EQ(control.geometry(), units.ToPixels(expected[i].rect));
    EXPECT_EQ(control.isVisible(), (expected[i].styles & style::kHidden) == 0);
    if (expected[i].id != 0) {
      EXPECT_EQ(control.objectName(), QString::number(expected[i].id));
    }
  }
}

TEST_F(MainWindowLayout, GpuGroupStaysHidden) {
  CQUORIX_NET_CHECKDlg window(test::StillOptions(folder_, ""));
  window.show();
  int gpuControls = 0;
  for (QGroupBox* group : window.findChildren<QGroupBox*>()) {
    if (group->title() != QStringLiteral("GPU检测")) continue;
    ++gpuControls;
    EXPECT_FALSE(group->isVisible());
  }
  for (QLabel* label : window.findChildren<QLabel*>()) {
    if (!label->text().startsWith(QStringLiteral("GPU")) && label->text() != QStringLiteral("0")) continue;
    ++gpuControls;
    EXPECT_FALSE(label->isVisible()) << label->text().toStdString();
  }
  EXPECT_EQ(gpuControls, 5);
  EXPECT_EQ(Find<QLabel>(window, id::kGpuUsageLabel)->text(), QStringLiteral("0"));
  EXPECT_EQ(Find<QLabel>(window, id::kGpuCountLabel)->text(), QStringLiteral("0"));
}

TEST_F(MainWindowLayout, ButtonTextsAndNoDefaultButton) {
  CQUORIX_NET_CHECKDlg window(test::StillOptions(folder_, ""));
  const std::vector<std::pair<int, QString>> buttons{{id::kConfirmDnsButton, QStringLiteral("确认修改dns")},
                                                     {id::kRetestPingButton, QStringLiteral("重新测试PING")},
                                                     {id::kRetestDnsButton, QStringLiteral("重新测试dns")},
                                                     {id::kAboutButton, QStringLiteral("关于")},
                                                     {id::kPubgButton, QStringLiteral("PUBG")},
                                                     {id::kLolStatusButton, QStringLiteral("LOL状态")},
                                                     {id::kExportButton, QStringLiteral("导出配置")},
                                                     {id::kImportButton, QStringLiteral("导入配置")}};
  for (const auto& [id, text] : buttons) {
    const QPushButton* button = Find<QPushButton>(window, id);
    ASSERT_NE(button, nullptr) << id;
    EXPECT_EQ(button->text(), text);
    EXPECT_FALSE(button->isDefault() || button->autoDefault()) << id;
  }
  EXPECT_EQ(Find<QLineEdit>(window, id::kDnsServerEdit)->text(), QString());
}

TEST_F(MainWindowLayout, TabOrderFollowsTheTemplate) {
  CQUORIX_NET_CHECKDlg window(test::StillOptions(folder_, ""));
  window.show();
  window.activateWindow();
  ASSERT_TRUE(test::WaitUntil([&] { return QApplication::focusWidget() != nullptr; }));
  // The first control in tab order takes the focus when the window opens.
  EXPECT_EQ(QApplication::focusWidget(), &window.View(TableKind::kPing));

  const std::vector<int> order{id::kPingTable,        id::kDnsTable,        id::kDnsServerEdit, id::kConfirmDnsButton,
                               id::kRetestPingButton, id::kRetestDnsButton, id::kAboutButton,   id::kGameTable,
                               id::kPubgButton,       id::kLolStatusButton, id::kExportButton,  id::kImportButton,
                               id::kPingTable};
  for (std::size_t i = 1; i < order.size(); ++i) {
    test::PressKey(*QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget()->objectName(), QString::number(order[i])) << "step " << i;
  }
}

struct ColumnCase {
  TableKind table;
  int id;
  std::vector<QString> captions;
  std::vector<int> widths;
};

TEST_F(MainWindowLayout, TablesShowTheirColumns) {
  const std::vector<ColumnCase> cases{
      {TableKind::kDns,
       id::kDnsTable,
       {"域名", "延时", "平均延迟", "丢包率", "解析结果", "质量"},
       {150, 100, 100, 160, 120, 90}},
      {TableKind::kPing,
       id::kPingTable,
       {"域名或者ip", "延时", "平均延迟", "丢包率", "质量"},
       {150, 100, 100, 250, 190}},
      {TableKind::kGame,
       id::kGameTable,
       {"域名或者ip", "延时", "平均延迟", "丢包率", "质量", "描述"},
       {200, 80, 100, 110, 80, 190}},
  };
  CQUORIX_NET_CHECKDlg window(test::StillOptions(folder_, ""));
  window.show();
  for (const ColumnCase& table : cases) {
    SCOPED_TRACE(table.id);
    QTableView* view = Find<QTableView>(window, table.id);
    ASSERT_NE(view, nullptr);
    const QAbstractItemModel& model = *view->model();
    ASSERT_EQ(model.columnCount(), static_cast<int>(table.captions.size()));
    for (int column = 0; column < model.columnCount(); ++column) {
      const auto c = static_cast<std::size_t>(column);
      EXPECT_EQ(model.headerData(column, Qt::Horizontal).toString(), table.captions[c]);
      EXPECT_EQ(view->columnWidth(column), table.widths[c]);
      const Qt::Alignment expected = column == 0 ? Qt::Alignment(Qt::AlignHCenter) : Qt::Alignment(Qt::AlignLeft);
      const auto header = model.headerData(column, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>();
      const auto cell = model.data(model.index(0, column), Qt::TextAlignmentRole).value<Qt::Alignment>();
      EXPECT_EQ(header & Qt::AlignHorizontal_Mask, expected) << column;
      EXPECT_EQ(cell & Qt::AlignHorizontal_Mask, expected) << column;
    }
    // A report list: grid lines, whole rows, several rows at once, no row numbers.
    EXPECT_TRUE(view->showGrid());
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_FALSE(view->verticalHeader()->isVisible());
  }
}

std::vector<std::vector<std::string>> Rows(CQUORIX_NET_CHECKDlg& window, TableKind kind) {
  return window.Table(kind).Snapshot();
}

TEST_F(MainWindowLayout, DefaultRowsWithAndWithoutAGateway) {
  struct Case {
    std::string gatewayHex;
    std::string gateway;
  };
  for (const Case& gatewayCase : {Case{"0101A8C0", "192.168.1.1"}, Case{"", ""}}) {
    SCOPED_TRACE(gatewayCase.gateway);
    CQUORIX_NET_CHECKDlg window(test::StillOptions(folder_, gatewayCase.gatewayHex));
    using Cells = std::vector<std::string>;
    EXPECT_EQ(Rows(window, TableKind::kDns), (std::vector<Cells>{{"www.baidu.com", "40", "60", "0", "", ""},
                                                                 {"www.sina.com.cn", "43", "65", "0", "", ""},
                                                                 {"game.qq.com", "43", "65", "0", "", ""}}));
    EXPECT_EQ(Rows(window, TableKind::kPing), (std::vector<Cells>{{"www.baidu.com", "", "", "", ""},
                                                                  {"www.sina.com.cn", "", "", "", ""},
                                                                  {"game.qq.com", "", "", "", ""},
                                                                  {gatewayCase.gateway, "", "", "", ""}}));
    EXPECT_EQ(Rows(window, TableKind::kGame),
              (std::vector<Cells>{{"lol.qq.com:443", "", "", "", "", "英雄联盟艾欧尼亚（LOL)"},
                                  {"lpl.qq.com:443", "", "", "", "", "英雄联盟比尔吉沃特（LOL）"},
                                  {"www.baidu.com:80", "", "", "", "", "百度网的实际延迟"}}));
    // The view shows what the store holds.
    EXPECT_EQ(window.View(TableKind::kDns).model()->index(1, 2).data().toString(), QStringLiteral("65"));
  }
}

TEST_F(MainWindowLayout, MenuBarAndItsCommands) {
  CQUORIX_NET_CHECKDlg window(test::StillOptions(folder_, ""));
  QMenuBar* bar = Find<QMenuBar>(window, id::kMainMenuBar);
  ASSERT_NE(bar, nullptr);
  const QList<QAction*> top = bar->actions();
  ASSERT_EQ(top.size(), 2);
  EXPECT_EQ(top[0]->text(), QStringLiteral("【测速】"));
  ASSERT_NE(top[0]->menu(), nullptr);
  const QList<QAction*> speed = top[0]->menu()->actions();
  ASSERT_EQ(speed.size(), 1);
  EXPECT_EQ(speed[0]->text(), QStringLiteral("内网测速"));
  ASSERT_NE(speed[0]->menu(), nullptr);
  const QList<QAction*> lan = speed[0]->menu()->actions();
  ASSERT_EQ(lan.size(), 2);
  EXPECT_EQ(lan[0]->text(), QStringLiteral("服务器端"));
  EXPECT_EQ(lan[0]->objectName(), QStringLiteral("32783"));
  EXPECT_EQ(lan[1]->text(), QStringLiteral("客户端"));
  EXPECT_EQ(lan[1]->objectName(), QStringLiteral("32784"));
  // "【检测】" is an item of the bar itself; it opens the diagnosis window,
  // which is not modal, and leaves the tables alone.
  EXPECT_EQ(top[1]->text(), QStringLiteral("【检测】"));
  EXPECT_EQ(top[1]->objectName(), QStringLiteral("32780"));
  EXPECT_EQ(top[1]->menu(), nullptr);
  const auto before = Rows(window, TableKind::kPing);
  top[1]->trigger();
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_NE(window.findChild<QWidget*>(ControlName(id::kDiagnosisDialog)), nullptr);
  EXPECT_EQ(Rows(window, TableKind::kPing), before);
}

TEST_F(MainWindowLayout, TableContextMenus) {
  struct Case {
    TableKind table;
    int menu;
    int add;
    QString addText;
    int remove;
    QString removeText;
  };
  const std::vector<Case> cases{
      {TableKind::kDns, 130, 32773, QStringLiteral("添加域名"), 32774, QStringLiteral("删除域名")},
      {TableKind::kPing, 131, 32771, QStringLiteral("添加ping"), 32772, QStringLiteral("删除ping")},
      {TableKind::kGame, 137, 32777, QStringLiteral("添加服务器地址"), 32778, QStringLiteral("删除服务器地址")},
  };
  CQUORIX_NET_CHECKDlg window(test::StillOptions(folder_, ""));
  for (const Case& expected : cases) {
    const auto menu = BuildTableMenu(expected.table, nullptr, window.Commands());
    EXPECT_EQ(menu->objectName(), QString::number(expected.menu));
    const QList<QAction*> items = menu->actions();
    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(items[0]->text(), expected.addText);
    EXPECT_EQ(items[0]->objectName(), QString::number(expected.add));
    EXPECT_EQ(items[1]->text(), expected.removeText);
    EXPECT_EQ(items[1]->objectName(), QString::number(expected.remove));
    EXPECT_TRUE(items[0]->isEnabled() && items[1]->isEnabled());
  }
}

}  // namespace
}  // namespace qnc
