#pragma once
#include <memory>

#include "views/templates/menu_templates.h"

class QMenu;
class QMenuBar;
class QWidget;

namespace qnc {

// Qt menus from menu templates. A menu with an id and each command's action
// carry that id as objectName; a submenu is a QMenu of its parent.
QMenuBar* BuildMenuBar(const MenuTemplate& menu, QWidget* parent);
std::unique_ptr<QMenu> BuildPopupMenu(const MenuTemplate& menu, QWidget* parent);

}  // namespace qnc
