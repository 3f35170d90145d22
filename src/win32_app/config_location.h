#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace qnc {

// The fixed configuration file: "Quorix测试工具.txt" in the user's roaming
// application data folder (%APPDATA%), as a UTF-8 path.
std::string FixedConfigFilePath();

// The standard save (export) and open (import) dialogs for a configuration
// file over `owner`, starting with the default export name; the chosen path
// in UTF-8, nothing when cancelled.
std::optional<std::string> ChooseConfigFileToSave(HWND owner);
std::optional<std::string> ChooseConfigFileToOpen(HWND owner);

}  // namespace qnc
