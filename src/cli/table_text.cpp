#include "cli/table_text.h"

#include <algorithm>

#include "cli/safe_text.h"
#include "probe/table_schema.h"

namespace qnc {

namespace {

// A cell as the text table shows it: escaped, and cut so that one long cell
// cannot widen its column past a screen.
constexpr std::size_t kMaxCellColumns = 60;
std::string CellForTerminal(std::string_view cell) { return FitColumns(EscapeForTerminal(cell), kMaxCellColumns); }

std::vector<std::vector<std::string>> CellsForTerminal(const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::vector<std::string>> shown;
  for (const auto& row : rows) {
    auto& cells = shown.emplace_back();
    for (const std::string& cell : row) cells.push_back(CellForTerminal(cell));
  }
  return shown;
}

}  // namespace

std::string FormatTableText(const TableSnapshot& snapshot) {
  const TableSchema& schema = SchemaOf(snapshot.kind);
  const auto rows = CellsForTerminal(snapshot.rows);
  std::vector<std::size_t> widths(schema.columns.size());
  for (std::size_t c = 0; c < widths.size(); ++c) widths[c] = DisplayWidth(schema.columns[c].caption);
  for (const auto& row : rows) {
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
    out += ", server " + (snapshot.dnsServer.empty() ? std::string("(none)") : CellForTerminal(snapshot.dnsServer));
  }
  out += ", pass " + std::to_string(snapshot.pass) + "\n";
  appendLine(out, [&](std::size_t c) { return schema.columns[c].caption; });
  for (const auto& row : rows) {
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
