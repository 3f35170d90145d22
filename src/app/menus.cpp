#include "app/menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "app/control_ids.h"

namespace qnc {

namespace {

struct MenuItem {
  int command;
  const char* text;
};

struct TableMenu {
  int id;
  MenuItem add;
  MenuItem remove;
};

TableMenu TableMenuFor(TableKind table) {
  switch (table) {
    case TableKind::kDns:
      return {id::kDnsTableMenu, {id::kAddDomain, "添加域名"}, {id::kDeleteDomain, "删除域名"}};
    case TableKind::kPing:
      return {id::kPingTableMenu, {id::kAddPing, "添加ping"}, {id::kDeletePing, "删除ping"}};
    case TableKind::kGame:
      break;
  }
  return {id::kGameTableMenu, {id::kAddGameServer, "添加服务器地址"}, {id::kDeleteGameServer, "删除服务器地址"}};
}

QAction* AddItem(QWidget& menu, const MenuItem& item) {
  auto* action = new QAction(QString::fromUtf8(item.text), &menu);
  action->setObjectName(QString::number(item.command));
  menu.addAction(action);
  return action;
}

}  // namespace

std::unique_ptr<QMenu> BuildTableMenu(TableKind table, QWidget* parent) {
  const TableMenu layout = TableMenuFor(table);
  auto menu = std::make_unique<QMenu>(parent);
  menu->setObjectName(QString::number(layout.id));
  AddItem(*menu, layout.add);
  AddItem(*menu, layout.remove);
  return menu;
}

std::unique_ptr<QMenu> BuildTrayMenu(QWidget* parent) {
  auto menu = std::make_unique<QMenu>(parent);
  AddItem(*menu, {id::kCancel, "关闭Quorix测试工具"});
  return menu;
}

QMenuBar* BuildMainMenuBar(QWidget* parent) {
  auto* bar = new QMenuBar(parent);
  bar->setObjectName(QString::number(id::kMainMenuBar));
  bar->setNativeMenuBar(false);
  QMenu* speed = bar->addMenu(QStringLiteral("【测速】"));
  QMenu* lan = speed->addMenu(QStringLiteral("内网测速"));
  AddItem(*lan, {id::kLanServer, "服务器端"});
  AddItem(*lan, {id::kLanClient, "客户端"});
  AddItem(*bar, {id::kCheckMenu, "【检测】"});
  return bar;
}

}  // namespace qnc
