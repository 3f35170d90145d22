// The configuration file commands: the start-up load, the tray's save,
// export and import.
#include <filesystem>
#include <system_error>

#include "core/config/config_file.h"
#include "platform/utf8_path.h"
#include "views/commands/window_commands.h"

namespace qnc {

void WindowCommands::LoadFixedFile() { session_.ApplyConfig(ReadConfig(fixedConfigPath_)); }

bool WindowCommands::SaveFixedFile() {
  // The user's configuration folder may not exist yet on a fresh account.
  std::error_code ignored;
  std::filesystem::create_directories(PathFromUtf8(fixedConfigPath_).parent_path(), ignored);
  return SaveTablesForReload(fixedConfigPath_, session_.Targets());
}

void WindowCommands::ExportConfig() {
  const std::optional<std::string> path = ui_.ChooseFileToSave();
  if (!path) return;
  if (SaveTablesForReload(*path, session_.Targets())) return;
  ui_.ShowWarning("无法写入文件，配置没有导出：\n" + *path);
}

void WindowCommands::ImportConfig() {
  if (const std::optional<std::string> path = ui_.ChooseFileToOpen()) session_.ApplyConfig(ReadConfig(*path));
  session_.RestartAllCounters();
}

}  // namespace qnc
