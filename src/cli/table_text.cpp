#include "cli/table_text.h"

#include <algorithm>

#include "cli/safe_text.h"

namespace qnc {

namespace {

std::string_view TableName(TableKind kind) {
  switch (kind) {
    case TableKind::kDns: return "dns";
    case TableKind::kPing: return "ping";
    case TableKind::kGame: return "game";
  }
  return "";
}

std::vector<std::string_view> JsonKeys(TableKind kind) {
  switch (kind) {
    case TableKind::kDns: return {"target", "latency", "average", "loss", "address", "quality"};
    case TableKind::kPing: return {"target", "latency", "average", "loss", "quality"};
    case TableKind::kGame: return {"target", "latency", "average", "loss", "quality", "description"};
  }
  return {};
}

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

std::vector<std::string_view> ColumnHeadings(TableKind kind) {
  switch (kind) {
    case TableKind::kDns: return {"域名", "延时", "平均延迟", "丢包率", "解析结果", "质量"};
    case TableKind::kPing: return {"域名或者ip", "延时", "平均延迟", "丢包率", "质量"};
    case TableKind::kGame: return {"域名或者ip", "延时", "平均延迟", "丢包率", "质量", "描述"};
  }
  return {};
}

std::string FormatTableText(const TableSnapshot& snapshot) {
  const auto headings = ColumnHeadings(snapshot.kind);
  const auto rows = CellsForTerminal(snapshot.rows);
  std::vector<std::size_t> widths(headings.size());
  for (std::size_t c = 0; c < headings.size(); ++c) widths[c] = DisplayWidth(headings[c]);
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

  std::string out = "== ";
  switch (snapshot.kind) {
    case TableKind::kDns:
      out += "DNS table, server " +
             (snapshot.dnsServer.empty() ? std::string("(none)") : CellForTerminal(snapshot.dnsServer));
      break;
    case TableKind::kPing: out += "ping table"; break;
    case TableKind::kGame: out += "game table (TCP connect)"; break;
  }
  out += ", pass " + std::to_string(snapshot.pass) + "\n";
  appendLine(out, [&](std::size_t c) { return headings[c]; });
  for (const auto& row : rows) {
    appendLine(out, [&](std::size_t c) { return c < row.size() ? std::string_view(row[c]) : std::string_view(); });
  }
  return out;
}

std::string FormatTableJson(const TableSnapshot& snapshot) {
  const auto keys = JsonKeys(snapshot.kind);
  std::string out = "{\"table\":";
  AppendJsonString(out, TableName(snapshot.kind));
  out += ",\"pass\":" + std::to_string(snapshot.pass);
  if (snapshot.kind == TableKind::kDns) {
    out += ",\"server\":";
    AppendJsonString(out, snapshot.dnsServer);
  }
  out += ",\"rows\":[";
  for (std::size_t r = 0; r < snapshot.rows.size(); ++r) {
    if (r > 0) out += ',';
    out += '{';
    for (std::size_t c = 0; c < keys.size(); ++c) {
      if (c > 0) out += ',';
      AppendJsonString(out, keys[c]);
      out += ':';
      AppendJsonString(out, c < snapshot.rows[r].size() ? snapshot.rows[r][c] : std::string());
    }
    out += '}';
  }
  out += "]}";
  return out;
}

}  // namespace qnc
