// The menus as data: every item is either a command or a submenu, and no
// command id serves two items of the main window's menus.
#include "views/templates/menu_templates.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "views/templates/control_ids.h"

namespace qnc {
namespace {

void CollectCommands(const std::vector<MenuItemTemplate>& items, std::vector<int>& commands) {
  for (const MenuItemTemplate& item : items) {
    SCOPED_TRACE(item.text);
    EXPECT_FALSE(std::string(item.text).empty());
    if (item.items.empty()) {
      EXPECT_NE(item.command, 0) << "an item without a submenu sends a command";
      commands.push_back(item.command);
    } else {
      EXPECT_EQ(item.command, 0) << "a submenu sends no command of its own";
      CollectCommands(item.items, commands);
    }
  }
}

TEST(MenuTemplatesTest, ItemsAreCommandsOrSubmenusWithCommandsUsedOnce) {
  const MenuTemplate* menus[] = {&MainMenuBarTemplate(), &DnsTableMenuTemplate(), &PingTableMenuTemplate(),
                                 &GameTableMenuTemplate(), &TrayMenuTemplate()};
  std::vector<int> commands;
  std::set<int> menuIds;
  for (const MenuTemplate* menu : menus) {
    SCOPED_TRACE(menu->id);
    EXPECT_FALSE(menu->items.empty());
    if (menu->id != 0) {
      EXPECT_TRUE(menuIds.insert(menu->id).second);
    }
    CollectCommands(menu->items, commands);
  }
  const std::set<int> distinct(commands.begin(), commands.end());
  EXPECT_EQ(distinct.size(), commands.size());
}

TEST(MenuTemplatesTest, TheMainMenuBar) {
  const MenuTemplate& bar = MainMenuBarTemplate();
  EXPECT_EQ(bar.id, id::kMainMenuBar);
  ASSERT_EQ(bar.items.size(), 2u);
  EXPECT_EQ(std::string(bar.items[0].text), "【测速】");
  ASSERT_EQ(bar.items[0].items.size(), 1u);
  const MenuItemTemplate& lan = bar.items[0].items[0];
  EXPECT_EQ(std::string(lan.text), "内网测速");
  ASSERT_EQ(lan.items.size(), 2u);
  EXPECT_EQ(lan.items[0].command, id::kLanServer);
  EXPECT_EQ(std::string(lan.items[0].text), "服务器端");
  EXPECT_EQ(lan.items[1].command, id::kLanClient);
  EXPECT_EQ(std::string(lan.items[1].text), "客户端");
  // "【检测】" is an item of the bar itself.
  EXPECT_EQ(bar.items[1].command, id::kCheckMenu);
  EXPECT_TRUE(bar.items[1].items.empty());
}

}  // namespace
}  // namespace qnc
