#include "views/templates/menu_templates.h"

#include "views/templates/control_ids.h"

namespace qnc {

const MenuTemplate& MainMenuBarTemplate() {
  static const MenuTemplate menu{
      id::kMainMenuBar,
      {
          {0, "【测速】", {{0, "内网测速", {{id::kLanServer, "服务器端", {}}, {id::kLanClient, "客户端", {}}}}}},
          {id::kCheckMenu, "【检测】", {}},
      }};
  return menu;
}

const MenuTemplate& DnsTableMenuTemplate() {
  static const MenuTemplate menu{id::kDnsTableMenu,
                                 {{id::kAddDomain, "添加域名", {}}, {id::kDeleteDomain, "删除域名", {}}}};
  return menu;
}

const MenuTemplate& PingTableMenuTemplate() {
  static const MenuTemplate menu{id::kPingTableMenu,
                                 {{id::kAddPing, "添加ping", {}}, {id::kDeletePing, "删除ping", {}}}};
  return menu;
}

const MenuTemplate& GameTableMenuTemplate() {
  static const MenuTemplate menu{
      id::kGameTableMenu, {{id::kAddGameServer, "添加服务器地址", {}}, {id::kDeleteGameServer, "删除服务器地址", {}}}};
  return menu;
}

const MenuTemplate& TrayMenuTemplate() {
  static const MenuTemplate menu{0, {{id::kCancel, "关闭Quorix测试工具", {}}}};
  return menu;
}

}  // namespace qnc
