#pragma once
#include <filesystem>
#include <string>
#include <string_view>

namespace qnc {

// Paths travel through the program as UTF-8 text. std::filesystem reads a char
// string in the system's narrow encoding, which on Windows is the ANSI code
// page and loses characters; char8_t text is UTF-8 on every system.
inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

}  // namespace qnc
