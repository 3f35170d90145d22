// The LAN menu: each item opens the LAN test window with its preset text.
#include "commands/lan_presets.h"
#include "commands/window_commands.h"

namespace qnc {

void WindowCommands::OpenLanServer() { ui_.RunLanTest(kLanServerPreset); }

void WindowCommands::OpenLanClient() { ui_.RunLanTest(kLanClientPreset); }

}  // namespace qnc
