#include "cli/app/safe_text.h"

#include <cstdint>
#include <cstdio>
#include <optional>

namespace qnc {

namespace {

// One decoded character: its code point and the bytes it took, or nothing
// for a byte that does not start a well-formed UTF-8 sequence (overlong forms,
// surrogates and values past U+10FFFF included).
struct Decoded {
  std::optional<char32_t> point;
  std::size_t length;
};

Decoded DecodeAt(std::string_view text, std::size_t i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t point = 0;
  char32_t lowest = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2, point = lead & 0x1Fu, lowest = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3, point = lead & 0x0Fu, lowest = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4, point = lead & 0x07u, lowest = 0x10000;
  } else {
    return {std::nullopt, 1};
  }
  if (i + length > text.size()) return {std::nullopt, 1};
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next & 0xC0) != 0x80) return {std::nullopt, 1};
    point = (point << 6) | (next & 0x3Fu);
  }
  if (point < lowest || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF)) return {std::nullopt, 1};
  return {point, length};
}

bool IsControl(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

std::size_t Columns(const Decoded& decoded) { return decoded.point && IsWide(*decoded.point) ? 2 : 1; }

void AppendFormatted(std::string& out, const char* format, unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, format, value);
  out += text;
}

}  // namespace

std::size_t DisplayWidth(std::string_view utf8) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const Decoded decoded = DecodeAt(utf8, i);
    width += Columns(decoded);
    i += decoded.length;
  }
  return width;
}

std::string EscapeForTerminal(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const Decoded decoded = DecodeAt(utf8, i);
    if (!decoded.point || (*decoded.point < 0x80 && IsControl(*decoded.point))) {
      AppendFormatted(out, "\\x%02x", static_cast<unsigned char>(utf8[i]));
    } else if (IsControl(*decoded.point)) {
      AppendFormatted(out, "\\u%04x", static_cast<unsigned>(*decoded.point));
    } else {
      out.append(utf8.substr(i, decoded.length));
    }
    i += decoded.length;
  }
  return out;
}

std::string FitColumns(std::string_view utf8, std::size_t maxColumns) {
  if (DisplayWidth(utf8) <= maxColumns) return std::string(utf8);
  static constexpr std::string_view kEllipsis = "…";  // one column
  if (maxColumns == 0) return {};
  std::size_t width = 0;
  std::size_t end = 0;
  while (end < utf8.size()) {
    const Decoded decoded = DecodeAt(utf8, end);
    if (width + Columns(decoded) > maxColumns - 1) break;
    width += Columns(decoded);
    end += decoded.length;
  }
  return std::string(utf8.substr(0, end)).append(kEllipsis);
}

void AppendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  for (std::size_t i = 0; i < text.size();) {
    const Decoded decoded = DecodeAt(text, i);
    if (!decoded.point) {
      out += "\xEF\xBF\xBD";  // U+FFFD
    } else if (*decoded.point == '"') {
      out += "\\\"";
    } else if (*decoded.point == '\\') {
      out += "\\\\";
    } else if (*decoded.point == '\n') {
      out += "\\n";
    } else if (*decoded.point == '\r') {
      out += "\\r";
    } else if (*decoded.point == '\t') {
      out += "\\t";
    } else if (IsControl(*decoded.point)) {
      AppendFormatted(out, "\\u%04x", static_cast<unsigned>(*decoded.point));
    } else {
      out.append(text.substr(i, decoded.length));
    }
    i += decoded.length;
  }
  out.push_back('"');
}

}  // namespace qnc
