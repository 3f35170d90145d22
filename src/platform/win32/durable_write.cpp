#include "platform/durable_write.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace qnc {

namespace {

bool WriteAll(HANDLE file, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0) return false;
    bytes.remove_prefix(written);
  }
  return true;
}

}  // namespace

NewFileResult WriteNewFileSynced(const std::string& path, std::string_view bytes) {
  const std::wstring widePath = WideFromUtf8(path);
  const HANDLE file =
      ::CreateFileW(widePath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NewFileResult::kExists
                                                                       : NewFileResult::kFailed;
  }
  bool ok = WriteAll(file, bytes);
  ok = ok && ::FlushFileBuffers(file);
  ok = ::CloseHandle(file) && ok;
  if (!ok) ::DeleteFileW(widePath.c_str());
  return ok ? NewFileResult::kWritten : NewFileResult::kFailed;
}

// Write-through: the call returns once the renamed entry is on the disk.
bool RenameOver(const std::string& from, const std::string& to) {
  return ::MoveFileExW(WideFromUtf8(from).c_str(), WideFromUtf8(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

// A folder's entries cannot be flushed on their own on Windows; RenameOver has
// already waited for its rename to reach the disk, so there is nothing left.
bool SyncFolder(const std::string& folder) {
  const DWORD attributes = ::GetFileAttributesW(WideFromUtf8(folder).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace qnc
