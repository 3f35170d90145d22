#include "platform/code_page.h"

#include <climits>

#include "platform/win32/windows_api.h"

namespace qnc {

namespace {

constexpr UINT kCodePage936 = 936;

// Windows maps code page 936's user-defined areas to the Private Use Area;
// other converters (glibc's) have no such mapping, and no standard gives those
// characters a meaning. They count as characters the code page does not have,
// so that a file reads and writes the same on every system.
bool HasPrivateUse(const std::wstring& wide) {
  for (const wchar_t c : wide) {
    if (c >= 0xE000 && c <= 0xF8FF) return true;
  }
  return false;
}

// Bytes of one code page to UTF-16; nothing when any sequence has no character.
std::optional<std::wstring> ToWide(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  if (bytes.size() > INT_MAX) return std::nullopt;
  const int length = static_cast<int>(bytes.size());
  const int needed = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, nullptr, 0);
  if (needed <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(needed), L'\0');
  if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), length, wide.data(), needed) != needed) {
    return std::nullopt;
  }
  return wide;
}

// UTF-16 to a code page; nothing when a character has no form in it. The
// default-character flag only exists for code pages other than UTF-8.
std::optional<std::string> FromWide(UINT codePage, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int length = static_cast<int>(wide.size());
  const bool strictFlags = codePage == CP_UTF8;
  const DWORD flags = strictFlags ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  BOOL usedDefault = FALSE;
  BOOL* usedDefaultOut = strictFlags ? nullptr : &usedDefault;
  const int needed = ::WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, nullptr, usedDefaultOut);
  if (needed <= 0 || usedDefault) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(needed), '\0');
  if (::WideCharToMultiByte(codePage, flags, wide.data(), length, bytes.data(), needed, nullptr, usedDefaultOut) !=
          needed ||
      usedDefault) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

std::optional<std::string> Cp936ToUtf8(std::string_view gbk) {
  const auto wide = ToWide(kCodePage936, gbk);
  if (!wide || HasPrivateUse(*wide)) return std::nullopt;
  return FromWide(CP_UTF8, *wide);
}

std::optional<std::string> Utf8ToCp936(std::string_view utf8) {
  const auto wide = ToWide(CP_UTF8, utf8);
  if (!wide || HasPrivateUse(*wide)) return std::nullopt;
  return FromWide(kCodePage936, *wide);
}

}  // namespace qnc
