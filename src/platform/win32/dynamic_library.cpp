#include "platform/dynamic_library.h"

#include <utility>

#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace qnc {

DynamicLibrary DynamicLibrary::Open(const std::string& nameOrPath) {
  DynamicLibrary library;
  // No "cannot find the disk" message box when a path names a missing drive.
  DWORD previousMode = 0;
  ::SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previousMode);
  library.handle_ = ::LoadLibraryW(WideFromUtf8(nameOrPath).c_str());
  const DWORD error = ::GetLastError();
  ::SetThreadErrorMode(previousMode, nullptr);
  if (library.handle_ == nullptr) library.error_ = "cannot load " + nameOrPath + ": " + SystemErrorText(error);
  return library;
}

void* DynamicLibrary::Symbol(const char* name) const {
  if (handle_ == nullptr || name == nullptr) return nullptr;
  return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle_), name));
}

void DynamicLibrary::Close() {
  if (handle_ != nullptr) {
    ::FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
  }
}

}  // namespace qnc
