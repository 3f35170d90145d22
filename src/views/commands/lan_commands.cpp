// The LAN menu: each item opens the LAN test window with its preset text.
#include "views/commands/lan_presets.h"
#include "views/commands/window_commands.h"

namespace qnc {

void WindowCommands::OpenLanServer() { ui_.RunLanTest(kLanServerPreset); }

void WindowCommands::OpenLanClient() { ui_.RunLanTest(kLanClientPreset); }

}  // namespace qnc
