#include "qt/app/menus.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "qt/widgets/control_name.h"
#include "qt/widgets/menu_builder.h"
#include "views/commands/window_commands.h"
#include "views/templates/control_ids.h"
#include "views/templates/menu_templates.h"

namespace qnc {

namespace {

struct TableMenu {
  const MenuTemplate& menu;
  int add;
  int remove;
};

TableMenu TableMenuOf(TableKind table) {
  switch (table) {
    case TableKind::kDns:
      return {DnsTableMenuTemplate(), id::kAddDomain, id::kDeleteDomain};
    case TableKind::kPing:
      return {PingTableMenuTemplate(), id::kAddPing, id::kDeletePing};
    case TableKind::kGame:
      break;
  }
  return {GameTableMenuTemplate(), id::kAddGameServer, id::kDeleteGameServer};
}

// Runs `command` on each trigger of the menu's item with this id. The menu
// is the connection's context, so the connection goes with it.
template <typename Menu>
void OnItem(Menu& menu, int id, std::function<void()> command) {
  QAction* action = menu.template findChild<QAction*>(ControlName(id));
  Q_ASSERT(action != nullptr);
  QObject::connect(action, &QAction::triggered, &menu, std::move(command));
}

}  // namespace

void ConnectMainMenuBar(QMenuBar& bar, WindowCommands& commands, std::function<void()> openDiagnosis) {
  OnItem(bar, id::kLanServer, [&commands] { commands.OpenLanServer(); });
  OnItem(bar, id::kLanClient, [&commands] { commands.OpenLanClient(); });
  OnItem(bar, id::kCheckMenu, std::move(openDiagnosis));
}

std::unique_ptr<QMenu> BuildTableMenu(TableKind table, QWidget* parent, WindowCommands& commands) {
  const TableMenu items = TableMenuOf(table);
  std::unique_ptr<QMenu> menu = BuildPopupMenu(items.menu, parent);
  OnItem(*menu, items.add, [&commands, table] { commands.AddRow(table); });
  OnItem(*menu, items.remove, [&commands, table] { commands.DeleteSelectedRow(table); });
  return menu;
}

std::unique_ptr<QMenu> BuildTrayMenu(QWidget* parent, std::function<void()> endProgram) {
  std::unique_ptr<QMenu> menu = BuildPopupMenu(TrayMenuTemplate(), parent);
  OnItem(*menu, id::kCancel, std::move(endProgram));
  return menu;
}

}  // namespace qnc
