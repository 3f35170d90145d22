#include "platform/bounded_read.h"

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace qnc {

namespace {

// Closes a file handle when the read ends, however it ends.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;
  ~FileHandle() {
    if (Valid()) ::CloseHandle(handle_);
  }
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};

}  // namespace

std::variant<std::string, ReadRefusal> ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  if (path.empty()) return ReadRefusal::kCannotOpen;
  // Backup semantics let a folder open too, so that it is refused as what it
  // is; others may go on writing or renaming the file while it is read.
  const FileHandle file(::CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!file.Valid()) return ReadRefusal::kCannotOpen;
  // Devices (NUL, CON, COM1) and pipes have no end we can count on.
  if (::GetFileType(file.Get()) != FILE_TYPE_DISK) return ReadRefusal::kNotRegularFile;
  BY_HANDLE_FILE_INFORMATION information{};
  if (!::GetFileInformationByHandle(file.Get(), &information)) return ReadRefusal::kReadError;
  if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ReadRefusal::kNotRegularFile;
  const unsigned long long size =
      (static_cast<unsigned long long>(information.nFileSizeHigh) << 32) | information.nFileSizeLow;
  if (size > maxBytes) return ReadRefusal::kTooLarge;

  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(size));
  char buffer[16384];
  for (;;) {
    DWORD count = 0;
    if (!::ReadFile(file.Get(), buffer, sizeof buffer, &count, nullptr)) return ReadRefusal::kReadError;
    if (count == 0) return bytes;
    if (bytes.size() + count > maxBytes) return ReadRefusal::kTooLarge;
    bytes.append(buffer, count);
  }
}

}  // namespace qnc
