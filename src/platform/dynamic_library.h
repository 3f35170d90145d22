#pragma once
#include <string>
#include <utility>

namespace qnc {

// A shared library loaded at run time (a driver interface that may or may not
// be installed). Owns its handle: the library is unloaded when the object is
// closed or destroyed. Move-only.
class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary() { Close(); }
  DynamicLibrary(DynamicLibrary&& other) noexcept
      : handle_(std::exchange(other.handle_, nullptr)), error_(std::move(other.error_)) {}
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
      Close();
      handle_ = std::exchange(other.handle_, nullptr);
      error_ = std::move(other.error_);
    }
    return *this;
  }
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Loads a library by file name (searched the system's usual way) or by path.
  // The result is closed when the library cannot be loaded; Error() says why.
  static DynamicLibrary Open(const std::string& nameOrPath);

  bool IsOpen() const { return handle_ != nullptr; }
  explicit operator bool() const { return IsOpen(); }

  // The address of an exported symbol, or nullptr when it is absent or the
  // library is not open.
  void* Symbol(const char* name) const;

  // An exported function, typed; nullptr when absent.
  template <typename Function>
  Function FunctionNamed(const char* name) const {
    return reinterpret_cast<Function>(Symbol(name));
  }

  // Unloads the library now (does nothing when it is not open).
  void Close();

  // The loader's description of the last failure to open.
  const std::string& Error() const { return error_; }

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace qnc
