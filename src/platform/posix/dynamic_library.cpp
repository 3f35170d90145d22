#include "platform/dynamic_library.h"

#include <dlfcn.h>

#include <utility>

namespace qnc {

DynamicLibrary DynamicLibrary::Open(const std::string& nameOrPath) {
  DynamicLibrary library;
  // Local binding keeps the library's symbols out of the global namespace, so
  // loading it cannot change what other code resolves to.
  library.handle_ = ::dlopen(nameOrPath.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library.handle_ == nullptr) {
    const char* reason = ::dlerror();
    library.error_ = reason != nullptr ? reason : "cannot load " + nameOrPath;
  }
  return library;
}

void* DynamicLibrary::Symbol(const char* name) const {
  if (handle_ == nullptr || name == nullptr) return nullptr;
  return ::dlsym(handle_, name);
}

void DynamicLibrary::Close() {
  if (handle_ != nullptr) {
    ::dlclose(handle_);
    handle_ = nullptr;
  }
}

}  // namespace qnc
