#pragma once

// Byte-level helpers for the two encodings the configuration file may hold: UTF-8 and GBK (code page 936).

#include <cstddef>
#include <string>
#include <string_view>

namespace qnc {

// U+FFFD, which stands in for bytes that do not decode.
inline constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// True when bytes are well-formed UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// True when every byte is below 0x80.
bool IsAscii(std::string_view bytes);

// The text with every ill-formed UTF-8 sequence replaced by U+FFFD.
std::string ToValidUtf8(std::string_view bytes);

// Length of the longest prefix of text, at most maxBytes long, that does not split a UTF-8 character.
// Ill-formed input is cut at maxBytes so that a caller cutting in a loop always makes progress.
std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes);

// Bytes that the GBK character starting at bytes[0] takes: 2 for a lead byte (0x81..0xFE) followed by a trail
// byte (0x40..0x7E, 0x80..0xFE), else 1. bytes must not be empty.
std::size_t GbkCharLength(std::string_view bytes);

// Length of the longest prefix of GBK bytes, at most maxBytes long (maxBytes >= 2), that does not split a
// two-byte character.
std::size_t GbkPrefixLength(std::string_view bytes, std::size_t maxBytes);

}  // namespace qnc
