#include "win32/app/config_location.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <string>

#include "core/config/config_file.h"
#include "win32/widgets/wide_text.h"

namespace qnc {

namespace {

// Text files first; the name filter pairs end with a double NUL.
constexpr wchar_t kFilter[] = L"文本文件 (*.txt)\0*.txt\0所有文件 (*.*)\0*.*\0";

std::optional<std::string> RunFileDialog(HWND owner, bool save) {
  std::array<wchar_t, 32768> path{};
  const std::wstring defaultName = Utf16(kExportDefaultName);
  std::copy_n(defaultName.c_str(), std::min(defaultName.size() + 1, path.size() - 1), path.data());
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = kFilter;
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrDefExt = L"txt";
  // No "Open as read-only" box: the file is only ever read or written whole.
  dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  dialog.Flags |= save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST;
  const BOOL chosen = save ? GetSaveFileNameW(&dialog) : GetOpenFileNameW(&dialog);
  if (chosen == FALSE) return std::nullopt;
  return Utf8(path.data());
}

}  // namespace

std::string FixedConfigFilePath() {
  std::array<wchar_t, MAX_PATH> folder{};
  std::wstring path;
  if (SUCCEEDED(
          SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, folder.data()))) {
    path = folder.data();
    path += L'\\';
  }
  return Utf8(path) + kConfigFileName;
}

std::string StartupConfigFilePath(const std::string& fixedPath, const std::string& driveRootPath) {
  const auto exists = [](const std::string& path) {
    return GetFileAttributesW(Utf16(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  };
  if (!exists(fixedPath) && exists(driveRootPath)) return driveRootPath;
  return fixedPath;
}

std::optional<std::string> ChooseConfigFileToSave(HWND owner) { return RunFileDialog(owner, true); }

std::optional<std::string> ChooseConfigFileToOpen(HWND owner) { return RunFileDialog(owner, false); }

}  // namespace qnc
