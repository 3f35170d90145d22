#pragma once

// Conversion between GBK (code page 936) and UTF-8 for the configuration file, over the platform's converter.

#include <optional>
#include <string>
#include <string_view>

namespace qnc {

class GbkDecoder {
 public:
  // UTF-8 text of GBK bytes. A byte sequence with no character behind it (a two-byte character outside the
  // code page, a stray byte) becomes one U+FFFD and decoding goes on after it.
  std::string Decode(std::string_view gbk);
};

class GbkEncoder {
 public:
  // GBK bytes of UTF-8 text, or nullopt when a character of it has no GBK form (or the text is not UTF-8).
  std::optional<std::string> Encode(std::string_view utf8);
};

}  // namespace qnc
