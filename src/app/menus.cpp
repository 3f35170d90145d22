#include "app/menus.h"

#include <QMenu>

#include "qt_ui/menu_builder.h"
#include "ui/menu_templates.h"

namespace qnc {

namespace {

const MenuTemplate& TableMenuTemplate(TableKind table) {
  switch (table) {
    case TableKind::kDns:
      return DnsTableMenuTemplate();
    case TableKind::kPing:
      return PingTableMenuTemplate();
    case TableKind::kGame:
      break;
  }
  return GameTableMenuTemplate();
}

}  // namespace

std::unique_ptr<QMenu> BuildTableMenu(TableKind table, QWidget* parent) {
  return BuildPopupMenu(TableMenuTemplate(table), parent);
}

std::unique_ptr<QMenu> BuildTrayMenu(QWidget* parent) { return BuildPopupMenu(TrayMenuTemplate(), parent); }

}  // namespace qnc
