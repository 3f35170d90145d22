#include "cli/app/load_latency_probe.h"

#include <cstdio>
#include <optional>
#include <utility>

#include "cli/app/safe_text.h"
#include "core/model/table_names.h"
#include "platform/ip_config.h"

namespace qnc {

namespace {

constexpr std::string_view kGatewayWord = "gateway";

std::string Ms(std::optional<double> ms) {
  if (!ms) return "-";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f ms", *ms);
  return text;
}

std::string JsonNumber(std::optional<double> value) {
  if (!value) return "null";
  char text[32];
  std::snprintf(text, sizeof text, "%.3f", *value);
  return text;
}

std::string_view DirectionWord(TransferMode mode) {
  switch (mode) {
    case TransferMode::kDownloadOnly:
      return "下载";
    case TransferMode::kUploadOnly:
      return "上传";
    case TransferMode::kBoth:
      break;
  }
  return "双向";
}

}  // namespace

LoadLatencyProbe::LoadLatencyProbe(const LanClientCommand& command, std::ostream& err, ProbeSessionOptions options) {
  if (command.latencyPings.empty() && command.latencyGames.empty()) return;
  const std::string routeTablePath = options.routeTablePath;
  session_ = std::make_unique<ProbeSession>(std::move(options));
  for (const std::string& ping : command.latencyPings) {
    std::string target = ping;
    if (ping == kGatewayWord) {
      target = FindGatewayAddress(routeTablePath);
      if (target.empty()) {
        err << "quorix-probe: lan-client: this machine has no gateway to watch; left out\n";
        continue;
      }
    }
    rows_.push_back({TableKind::kPing, session_->AppendRow(TableKind::kPing, target), target});
  }
  for (const std::string& game : command.latencyGames) {
    rows_.push_back({TableKind::kGame, session_->AppendRow(TableKind::kGame, game), game});
  }
}

LoadLatencyProbe::~LoadLatencyProbe() { Stop(); }

void LoadLatencyProbe::Start() {
  if (!Any() || running_) return;
  periods_.idleFrom = std::chrono::system_clock::now();
  periods_.loadFrom = periods_.loadUntil = periods_.idleFrom;
  session_->Start();
  running_ = true;
}

void LoadLatencyProbe::Stop() {
  if (!running_) return;
  session_->StopAndJoin();
  running_ = false;
}

std::vector<LoadLatencyProbe::RowResult> LoadLatencyProbe::Results() const {
  std::vector<RowResult> results;
  for (const Row& row : rows_) {
    const auto history = session_->Table(row.table).History(row.id);
    const std::vector<Sample> samples = history ? history->Samples() : std::vector<Sample>{};
    results.push_back({row.table, row.target, MeasureLatencyUnderLoad(samples, periods_)});
  }
  return results;
}

void PrintLoadLatencyLines(std::ostream& out, const std::vector<LoadLatencyProbe::RowResult>& rows, TransferMode mode) {
  if (rows.empty()) return;
  out << "负载下延迟（" << DirectionWord(mode) << "）：\n";
  for (const auto& row : rows) {
    const LatencyUnderLoad& latency = row.latency;
    out << "  " << TableName(row.table) << " " << EscapeForTerminal(row.target) << "  空闲 "
        << Ms(latency.idle.medianMs) << "  负载下 中位 " << Ms(latency.loaded.medianMs) << " p95 "
        << Ms(latency.loaded.p95Ms) << "  丢失 " << latency.loaded.count - latency.loaded.answered << "/"
        << latency.loaded.count << "  " << LatencyUnderLoadText(latency) << "\n";
  }
}

std::string LoadLatencyJson(const std::vector<LoadLatencyProbe::RowResult>& rows) {
  std::string json = "[";
  for (const auto& row : rows) {
    const LatencyUnderLoad& latency = row.latency;
    if (json.size() > 1) json += ",";
    json += "{\"table\":\"";
    json += row.table == TableKind::kPing ? "ping" : "game";
    json += "\",\"target\":";
    AppendJsonString(json, row.target);
    json += ",\"idle_samples\":" + std::to_string(latency.idle.count);
    json += ",\"idle_median_ms\":" + JsonNumber(latency.idle.medianMs);
    json += ",\"loaded_samples\":" + std::to_string(latency.loaded.count);
    json += ",\"loaded_lost\":" + std::to_string(latency.loaded.count - latency.loaded.answered);
    json += ",\"loaded_median_ms\":" + JsonNumber(latency.loaded.medianMs);
    json += ",\"loaded_p95_ms\":" + JsonNumber(latency.loaded.p95Ms);
    json += ",\"loaded_max_ms\":" + JsonNumber(latency.loaded.maxMs);
    json += ",\"added_ms\":" + JsonNumber(latency.addedMs);
    json += ",\"grade\":";
    if (latency.addedMs) {
      AppendJsonString(json, LoadGrade(*latency.addedMs));
    } else {
      json += "null";
    }
    json += "}";
  }
  return json + "]";
}

}  // namespace qnc
