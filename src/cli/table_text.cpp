#include "cli/table_text.h"

#include <algorithm>
#include <cstdio>

#include "probe/table_schema.h"

namespace qnc {

namespace {

// Decodes one UTF-8 sequence at text[i], advancing i; malformed bytes count as one character each.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
  const auto lead = static_cast<unsigned char>(text[i]);
  std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  if (length == 0 || i + length > text.size()) {
    ++i;
    return U'?';
  }
  char32_t point = length == 1 ? lead : length == 2 ? (lead & 0x1F) : length == 3 ? (lead & 0x0F) : (lead & 0x07);
  for (std::size_t k = 1; k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[i + k]);
    if ((next >> 6) != 0x2) {
      ++i;
      return U'?';
    }
    point = (point << 6) | (next & 0x3F);
  }
  i += length;
  return point;
}

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) || (c >= 0xAC00 && c <= 0xD7A3) ||
         (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

void AppendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  for (const char c : text) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(static_cast<unsigned char>(c)));
          out += escaped;
        } else {
          out.push_back(c);
        }
    }
  }
  out.push_back('"');
}

}  // namespace

std::size_t DisplayWidth(std::string_view utf8) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) width += IsWide(NextCodePoint(utf8, i)) ? 2 : 1;
  return width;
}

std::string FormatTableText(const TableSnapshot& snapshot) {
  const TableSchema& schema = SchemaOf(snapshot.kind);
  std::vector<std::size_t> widths(schema.columns.size());
  for (std::size_t c = 0; c < widths.size(); ++c) widths[c] = DisplayWidth(schema.columns[c].caption);
  for (const auto& row : snapshot.rows) {
    for (std::size_t c = 0; c < widths.size() && c < row.size(); ++c) {
      widths[c] = std::max(widths[c], DisplayWidth(row[c]));
    }
  }
  const auto appendLine = [&](std::string& out, auto cellAt) {
    std::string line;
    for (std::size_t c = 0; c < widths.size(); ++c) {
      const std::string_view text = cellAt(c);
      line += text;
      if (c + 1 < widths.size()) line.append(widths[c] - DisplayWidth(text) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line;
    out += '\n';
  };

  std::string out = "== " + std::string(schema.title);
  if (snapshot.kind == TableKind::kDns) {
    out += ", server " + (snapshot.dnsServer.empty() ? std::string("(none)") : snapshot.dnsServer);
  }
  out += ", pass " + std::to_string(snapshot.pass) + "\n";
  appendLine(out, [&](std::size_t c) { return schema.columns[c].caption; });
  for (const auto& row : snapshot.rows) {
    appendLine(out, [&](std::size_t c) { return c < row.size() ? std::string_view(row[c]) : std::string_view(); });
  }
  return out;
}

std::string FormatTableJson(const TableSnapshot& snapshot) {
  const TableSchema& schema = SchemaOf(snapshot.kind);
  std::string out = "{\"table\":";
  AppendJsonString(out, schema.name);
  out += ",\"pass\":" + std::to_string(snapshot.pass);
  if (snapshot.kind == TableKind::kDns) {
    out += ",\"server\":";
    AppendJsonString(out, snapshot.dnsServer);
  }
  out += ",\"rows\":[";
  for (std::size_t r = 0; r < snapshot.rows.size(); ++r) {
    if (r > 0) out += ',';
    out += '{';
    for (std::size_t c = 0; c < schema.columns.size(); ++c) {
      if (c > 0) out += ',';
      AppendJsonString(out, schema.columns[c].jsonKey);
      out += ':';
      AppendJsonString(out, c < snapshot.rows[r].size() ? snapshot.rows[r][c] : std::string());
    }
    out += '}';
  }
  out += "]}";
  return out;
}

}  // namespace qnc
