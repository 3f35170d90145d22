#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace qnc {

// Conversions between UTF-8 and code page 936 (GBK with the euro sign at 0x80)
// through the system's own converter. Both are strict: nothing when any byte
// sequence of the input has no character on the other side.
std::optional<std::string> Cp936ToUtf8(std::string_view gbk);
std::optional<std::string> Utf8ToCp936(std::string_view utf8);

}  // namespace qnc
