#include "cli/app/table_text.h"

#include <algorithm>
#include <cstdio>

#include "cli/app/safe_text.h"
#include "core/probe/failure_reason.h"
#include "core/probe/sample_csv.h"
#include "core/probe/table_schema.h"

namespace qnc {

namespace {

// A cell as the text table shows it: escaped, and cut so that one long cell
// cannot widen its column past a screen.
constexpr std::size_t kMaxCellColumns = 60;
std::string CellForTerminal(std::string_view cell) { return FitColumns(EscapeForTerminal(cell), kMaxCellColumns); }

// The rows' cells for the terminal, padded to the table's columns, and with
// statistics one more cell each.
std::vector<std::vector<std::string>> CellsForTerminal(const TableSnapshot& snapshot, std::size_t columns) {
  std::vector<std::vector<std::string>> shown;
  for (std::size_t r = 0; r < snapshot.rows.size(); ++r) {
    auto& cells = shown.emplace_back();
    for (const std::string& cell : snapshot.rows[r]) cells.push_back(CellForTerminal(cell));
    cells.resize(columns);
    if (!snapshot.stats.empty()) {
      cells.push_back(r < snapshot.stats.size() ? CompactStatistics(snapshot.stats[r]) : std::string());
    }
  }
  return shown;
}

std::string Milliseconds(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return text;
}

// A figure as a JSON number with three decimals, or null.
void AppendJsonNumber(std::string& out, const std::optional<double>& value) {
  if (!value) {
    out += "null";
    return;
  }
  char text[48];
  std::snprintf(text, sizeof text, "%.3f", *value);
  out += text;
}

void AppendJsonTime(std::string& out, const std::optional<std::chrono::system_clock::time_point>& time) {
  if (time) {
    AppendJsonString(out, FormatIsoTime(*time));
  } else {
    out += "null";
  }
}

void AppendJsonReason(std::string& out, const std::optional<FailureReason>& reason) {
  if (reason) {
    AppendJsonString(out, FailureLabel(*reason));
  } else {
    out += "null";
  }
}

void AppendJsonStatistics(std::string& out, const RowStatistics& stats) {
  out += ",\"reason\":";
  AppendJsonReason(out, stats.lastOutcome);
  out += ",\"stats\":{\"count\":" + std::to_string(stats.count) + ",\"answered\":" + std::to_string(stats.answered);
  out += ",\"loss_pct\":";
  AppendJsonNumber(out, stats.lossPercent);
  const std::pair<const char*, const std::optional<double>*> figures[] = {
      {"last_ms", &stats.lastMs},     {"min_ms", &stats.minMs},       {"mean_ms", &stats.meanMs},
      {"max_ms", &stats.maxMs},       {"stddev_ms", &stats.stddevMs}, {"jitter_ms", &stats.jitterMs},
      {"median_ms", &stats.medianMs}, {"p95_ms", &stats.p95Ms},       {"p99_ms", &stats.p99Ms}};
  for (const auto& [key, value] : figures) {
    out += ",\"";
    out += key;
    out += "\":";
    AppendJsonNumber(out, *value);
  }
  out += ",\"last_answer\":";
  AppendJsonTime(out, stats.lastAnswer);
  out += ",\"last_failure\":";
  AppendJsonTime(out, stats.lastFailure);
  out += ",\"common_failure\":";
  AppendJsonReason(out, stats.commonFailure);
  out += '}';
}

}  // namespace

std::string CompactStatistics(const RowStatistics& stats) {
  std::string text;
  if (stats.medianMs) {
    text = "p50 " + Milliseconds(*stats.medianMs) + " p95 " + Milliseconds(stats.p95Ms.value_or(0));
    if (stats.jitterMs) text += " jit " + Milliseconds(*stats.jitterMs);
  }
  if (stats.lastOutcome) {
    if (!text.empty()) text += ' ';
    text += FailureLabel(*stats.lastOutcome);
  }
  return text;
}

std::string FormatTableText(const TableSnapshot& snapshot) {
  const TableSchema& schema = SchemaOf(snapshot.kind);
  const auto rows = CellsForTerminal(snapshot, schema.columns.size());
  std::vector<std::string_view> captions;
  for (const ColumnSchema& column : schema.columns) captions.push_back(column.caption);
  if (!snapshot.stats.empty()) captions.push_back("stats");
  std::vector<std::size_t> widths(captions.size());
  for (std::size_t c = 0; c < widths.size(); ++c) widths[c] = DisplayWidth(captions[c]);
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
  appendLine(out, [&](std::size_t c) { return captions[c]; });
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
    if (r < snapshot.stats.size()) AppendJsonStatistics(out, snapshot.stats[r]);
    out += '}';
  }
  out += "]}";
  return out;
}

}  // namespace qnc
