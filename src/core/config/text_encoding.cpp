#include "core/config/text_encoding.h"

#include <cstdint>

namespace qnc {
namespace {

std::uint8_t ByteAt(std::string_view bytes, std::size_t i) { return static_cast<std::uint8_t>(bytes[i]); }

bool IsContinuation(std::uint8_t byte) { return (byte & 0xC0U) == 0x80U; }

// Length of the well-formed UTF-8 sequence at bytes[i], or 0 when none starts there (Unicode Table 3-7).
std::size_t WellFormedUtf8Length(std::string_view bytes, std::size_t i) {
  const std::uint8_t lead = ByteAt(bytes, i);
  if (lead < 0x80U) return 1;
  std::size_t length = 0;
  std::uint8_t secondLow = 0x80U;
  std::uint8_t secondHigh = 0xBFU;
  if (lead >= 0xC2U && lead <= 0xDFU) {
    length = 2;
  } else if (lead >= 0xE0U && lead <= 0xEFU) {
    length = 3;
    if (lead == 0xE0U) secondLow = 0xA0U;   // no overlong forms
    if (lead == 0xEDU) secondHigh = 0x9FU;  // no surrogates
  } else if (lead >= 0xF0U && lead <= 0xF4U) {
    length = 4;
    if (lead == 0xF0U) secondLow = 0x90U;   // no overlong forms
    if (lead == 0xF4U) secondHigh = 0x8FU;  // nothing above U+10FFFF
  } else {
    return 0;
  }
  if (bytes.size() - i < length) return 0;
  const std::uint8_t second = ByteAt(bytes, i + 1);
  if (second < secondLow || second > secondHigh) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (!IsContinuation(ByteAt(bytes, i + k))) return 0;
  }
  return length;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t length = WellFormedUtf8Length(bytes, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

bool IsAscii(std::string_view bytes) {
  for (const char c : bytes) {
    if (static_cast<std::uint8_t>(c) >= 0x80U) return false;
  }
  return true;
}

std::string ToValidUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t length = WellFormedUtf8Length(bytes, i);
    if (length == 0) {
      text += kReplacementCharacter;
      ++i;
    } else {
      text.append(bytes.substr(i, length));
      i += length;
    }
  }
  return text;
}

std::size_t Utf8PrefixLength(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  std::size_t cut = maxBytes;
  while (cut > 0 && IsContinuation(ByteAt(text, cut))) --cut;
  return cut > 0 ? cut : maxBytes;
}

std::size_t GbkCharLength(std::string_view bytes) {
  const std::uint8_t lead = ByteAt(bytes, 0);
  if (lead < 0x81U || lead > 0xFEU || bytes.size() < 2) return 1;
  const std::uint8_t trail = ByteAt(bytes, 1);
  const bool isTrail = (trail >= 0x40U && trail <= 0x7EU) || (trail >= 0x80U && trail <= 0xFEU);
  return isTrail ? 2 : 1;
}

std::size_t GbkPrefixLength(std::string_view bytes, std::size_t maxBytes) {
  if (bytes.size() <= maxBytes) return bytes.size();
  std::size_t cut = 0;
  while (cut < bytes.size()) {
    const std::size_t length = GbkCharLength(bytes.substr(cut));
    if (cut + length > maxBytes) break;
    cut += length;
  }
  return cut;
}

}  // namespace qnc
