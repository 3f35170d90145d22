#pragma once
// The UTF-16 that Windows calls take, from and to the UTF-8 the program uses
// inside: the one converter of the Windows build.
#include <string>
#include <string_view>

namespace qnc {

// Ill-formed UTF-8 becomes U+FFFD, so a path or name always converts.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// The system's text for an error code of GetLastError or WSAGetLastError, in UTF-8.
std::string SystemErrorText(unsigned long code);

}  // namespace qnc
