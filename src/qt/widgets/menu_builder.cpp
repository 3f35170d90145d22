#include "qt/widgets/menu_builder.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "qt/widgets/control_name.h"

namespace qnc {

namespace {

// Adds the items to a menu or a menu bar (both take actions and submenus).
template <typename Menu>
void AddItems(Menu& menu, const std::vector<MenuItemTemplate>& items) {
  for (const MenuItemTemplate& item : items) {
    const QString text = QString::fromUtf8(item.text);
    if (!item.items.empty()) {
      AddItems(*menu.addMenu(text), item.items);
      continue;
    }
    auto* action = new QAction(text, &menu);
    action->setObjectName(ControlName(item.command));
    menu.addAction(action);
  }
}

void NameMenu(QWidget& widget, const MenuTemplate& menu) {
  if (menu.id != 0) widget.setObjectName(ControlName(menu.id));
}

}  // namespace

QMenuBar* BuildMenuBar(const MenuTemplate& menu, QWidget* parent) {
  auto* bar = new QMenuBar(parent);
  NameMenu(*bar, menu);
  // Drawn in the window on every desktop, as the layout expects.
  bar->setNativeMenuBar(false);
  AddItems(*bar, menu.items);
  return bar;
}

std::unique_ptr<QMenu> BuildPopupMenu(const MenuTemplate& menu, QWidget* parent) {
  auto popup = std::make_unique<QMenu>(parent);
  NameMenu(*popup, menu);
  AddItems(*popup, menu.items);
  return popup;
}

}  // namespace qnc
