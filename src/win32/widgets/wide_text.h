#pragma once
#include <string>
#include <string_view>

#include "platform/win32/wide_text.h"

namespace qnc {

// Window text is UTF-16 inside Windows; the templates, the tables and the
// configuration paths are UTF-8. Bytes that are not UTF-8 become U+FFFD. The
// conversion is the platform layer's, under the names the window code reads.
inline std::wstring Utf16(std::string_view utf8) { return WideFromUtf8(utf8); }
inline std::string Utf8(std::wstring_view utf16) { return Utf8FromWide(utf16); }

}  // namespace qnc
