#include "cli/metrics/text_exposition.h"

#include <charconv>
#include <cmath>
#include <cstdint>

namespace qnc {

namespace {

void AppendEscaped(std::string& out, std::string_view text, bool quotes) {
  for (const char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '"' && quotes) {
      out += "\\\"";
    } else {
      out += c;
    }
  }
}

}  // namespace

void AppendFamilyHeader(std::string& out, std::string_view name, std::string_view help, std::string_view type) {
  out.append("# HELP ").append(name).append(" ");
  AppendEscaped(out, help, false);
  out.append("\n# TYPE ").append(name).append(" ").append(type).append("\n");
}

void AppendLabel(std::string& out, std::string_view name, std::string_view value) {
  out.append(name).append("=\"");
  AppendEscaped(out, value, true);
  out += '"';
}

void AppendValue(std::string& out, double value) {
  if (std::isnan(value)) {
    out += "NaN";
  } else if (std::isinf(value)) {
    out += value > 0 ? "+Inf" : "-Inf";
  } else if (value >= 0 && value < 9007199254740992.0 && value == std::floor(value)) {
    // Counts, the most common values, as plain integers.
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<std::uint64_t>(value));
    out.append(buffer, result.ptr);
  } else {
    // 16 significant digits, as printf's %.16g: what prometheus-cpp's own
    // serializer writes (0.1 + 0.2 is "0.3").
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 16);
    out.append(buffer, result.ptr);
  }
}

}  // namespace qnc
