#pragma once
#include <functional>
#include <memory>

#include "core/probe/probe_table.h"

class QMenu;
class QMenuBar;
class QWidget;

namespace qnc {

class WindowCommands;

// Connects the items of the main window's menu bar (built with the window
// from its template) to their commands: the LAN menu's server and client
// items, and "【检测】" to `openDiagnosis`. The commands outlive the bar.
void ConnectMainMenuBar(QMenuBar& bar, WindowCommands& commands, std::function<void()> openDiagnosis);

// The context menu of a measured table (menus 130, 131 and 137): an add and a
// delete command of that table. Each action keeps its command id as its
// objectName, where tests find it.
std::unique_ptr<QMenu> BuildTableMenu(TableKind table, QWidget* parent, WindowCommands& commands);

// The tray icon's menu, built anew for each right click: the one item
// "关闭Quorix测试工具" (objectName: the cancel command, 2), which calls
// `endProgram`.
std::unique_ptr<QMenu> BuildTrayMenu(QWidget* parent, std::function<void()> endProgram);

}  // namespace qnc
