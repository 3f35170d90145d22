// The LAN menu's items and the preset text each opens the test window with.
#include <gtest/gtest.h>

#include "views/commands/fake_ui_services.h"
#include "views/commands/window_commands.h"

namespace qnc {
namespace {

TEST(LanCommands, EachMenuItemOpensTheTestWindowWithItsPreset) {
  ProbeSession session(test::StillSessionOptions());
  test::FakeUiServices ui;
  WindowCommands commands(session, ui, "/nonexistent/fixed.txt");
  commands.OpenLanServer();
  commands.OpenLanClient();
  // Byte for byte: the server text is what puts the window in server mode.
  EXPECT_EQ(ui.lanPresets, (std::vector<std::string>{"Quorix测速服务器端", "Quorix测速客户端"}));
}

}  // namespace
}  // namespace qnc
