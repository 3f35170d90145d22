#pragma once
#include <string>
#include <string_view>

namespace qnc {

// Window text is UTF-16 inside Windows; the templates, the tables and the
// configuration paths are UTF-8. Bytes that are not UTF-8 become U+FFFD.
std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

}  // namespace qnc
