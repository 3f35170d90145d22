#pragma once
#include <vector>

namespace qnc {

// One item of a menu: a command, or a submenu with items of its own.
struct MenuItemTemplate {
  int command = 0;                      // the command id the item sends; 0 for a submenu
  const char* text = "";                // UTF-8
  std::vector<MenuItemTemplate> items;  // a submenu's items
};

// A menu bar or popup menu described as data. Id 0 marks a menu that has no
// resource of its own (it is built anew each time it is shown).
struct MenuTemplate {
  int id = 0;
  std::vector<MenuItemTemplate> items;
};

// Menu 140: the main window's menu bar. "【检测】" is an item of the bar itself.
const MenuTemplate& MainMenuBarTemplate();
// Menus 130, 131 and 137: the context menus of the DNS, ping and game tables,
// each an add and a delete command.
const MenuTemplate& DnsTableMenuTemplate();
const MenuTemplate& PingTableMenuTemplate();
const MenuTemplate& GameTableMenuTemplate();
// The tray icon's menu: the one item "关闭Quorix测试工具", the cancel command.
const MenuTemplate& TrayMenuTemplate();

}  // namespace qnc
