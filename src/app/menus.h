#pragma once
#include <memory>

#include "probe/probe_table.h"

class QMenu;
class QWidget;

namespace qnc {

// The context menu of a measured table (menus 130, 131 and 137): an add and a
// delete command. Each action's objectName is its command id.
std::unique_ptr<QMenu> BuildTableMenu(TableKind table, QWidget* parent);

// The tray icon's menu, built anew for each right click: the one item
// "关闭Quorix测试工具", whose objectName is the cancel command (2).
std::unique_ptr<QMenu> BuildTrayMenu(QWidget* parent);

}  // namespace qnc
