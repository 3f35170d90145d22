#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace qnc {

// The fixed configuration file: "Quorix测试工具.txt" in the user's roaming
// application data folder (%APPDATA%), as a UTF-8 path. The tray saves there.
std::string FixedConfigFilePath();

// Where the lists were kept before they moved to the application data
// folder: "Quorix测试工具.txt" at the root of drive C:.
inline constexpr const char* kDriveRootConfigFilePath = "c:\\Quorix测试工具.txt";

// The file that start-up loads: `fixedPath` once it exists; until then the
// list that a user keeps at `driveRootPath`, when there is one. The tray
// still saves to `fixedPath`, so the first save moves the lists there.
std::string StartupConfigFilePath(const std::string& fixedPath,
                                  const std::string& driveRootPath = kDriveRootConfigFilePath);

// The standard save (export) and open (import) dialogs for a configuration
// file over `owner`, starting with the default export name; the chosen path
// in UTF-8, nothing when cancelled.
std::optional<std::string> ChooseConfigFileToSave(HWND owner);
std::optional<std::string> ChooseConfigFileToOpen(HWND owner);

}  // namespace qnc
