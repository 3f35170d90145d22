#include "core/probe/probe_session.h"

#include "core/probe/default_rows.h"

namespace qnc {

template <typename Options>
Options ProbeSession::WithSessionListener(Options options) {
  options.onSample = [this, own = std::move(options.onSample)](TableKind table, RowId row, const std::string& target,
                                                               const Sample& sample) {
    if (own) own(table, row, target, sample);
    if (table == TableKind::kDns) dnsServers_.Record(dnsServer_.Text(), sample);
    if (sampleListener_) sampleListener_(table, row, target, sample);
  };
  return options;
}

ProbeSession::ProbeSession(ProbeSessionOptions options)
    : options_(std::move(options)),
      tables_(PerTable<TableStore>::Generate([](TableKind kind) { return TableStore(kind); })),
      dnsWorker_(tables_[TableKind::kDns], dnsServer_, reset_, WithSessionListener(options_.dns)),
      pingWorker_(tables_[TableKind::kPing], reset_, resolver_, WithSessionListener(options_.ping)),
      gameWorker_(tables_[TableKind::kGame], resolver_, WithSessionListener(options_.game)) {}

ProbeSession::~ProbeSession() { StopAndJoin(); }

void ProbeSession::SetRowEditor(TableKind kind, RowEditor* editor) { editors_[kind] = editor; }

RowEditor& ProbeSession::EditorOf(TableKind kind) {
  return editors_[kind] != nullptr ? *editors_[kind] : tables_[kind];
}

RowId ProbeSession::AppendRow(TableKind kind, std::string_view target) {
  return EditorOf(kind).InsertRow(tables_[kind].RowCount(), target);
}

bool ProbeSession::DeleteRow(TableKind kind, int index) { return EditorOf(kind).DeleteRow(index); }

void ProbeSession::AddDefaultRows() {
  const PerTable<std::vector<DefaultRow>> defaults{
      DefaultDnsRows(), DefaultPingRows(FindGatewayAddress(options_.routeTablePath)), DefaultGameRows()};
  for (const TableKind kind : kAllTables) {
    for (const DefaultRow& row : defaults[kind]) {
      const RowId id = AppendRow(kind, row.target);
      for (const auto& [column, text] : row.cells) tables_[kind].SetCell(id, column, text);
    }
  }
}

void ProbeSession::AppendRows(TableKind kind, const std::vector<std::string>& targets) {
  for (const std::string& target : targets) AppendRow(kind, target);
}

bool ProbeSession::ApplyConfig(const LoadedConfig& loaded) {
  if (!loaded.accepted) return false;
  for (const TableKind kind : kAllTables) {
    const auto& rows = loaded.tables[kind];
    if (!rows) continue;  // the file ended before this table's section
    EditorOf(kind).DeleteAllRows();
    AppendRows(kind, *rows);
  }
  return true;
}

ConfigTables ProbeSession::Targets() const {
  ConfigTables targets;
  for (const TableKind kind : kAllTables) {
    for (auto& row : tables_[kind].Snapshot()) targets[kind].push_back(std::move(row[cell::kTarget]));
  }
  return targets;
}

void ProbeSession::RestartAllCounters() {
  // The DNS and ping workers own their tables' counters between passes (the
  // ping worker restarts its echo numbering with them); the game worker has
  // nothing of its own to restart.
  reset_.Raise();
  ResetCounters(tables_[TableKind::kGame]);
  MarkRetested();
}

void ProbeSession::MarkRetested(std::chrono::system_clock::time_point at) {
  retestedAt_.store(at.time_since_epoch().count(), std::memory_order_relaxed);
}

std::optional<std::chrono::system_clock::time_point> ProbeSession::RetestedAt() const {
  const auto ticks = retestedAt_.load(std::memory_order_relaxed);
  if (ticks == 0) return std::nullopt;
  return std::chrono::system_clock::time_point(std::chrono::system_clock::duration(ticks));
}

void ProbeSession::Start() {
  threads_.Start([this](std::stop_token stop) { dnsWorker_.Run(std::move(stop)); });
  threads_.Start([this](std::stop_token stop) { pingWorker_.Run(std::move(stop)); });
  threads_.Start([this](std::stop_token stop) { gameWorker_.Run(std::move(stop)); });
}

void ProbeSession::RequestStop() { threads_.RequestStop(); }

bool ProbeSession::StopWithin(std::chrono::milliseconds limit) { return threads_.StopWithin(limit); }

void ProbeSession::StopAndJoin() { threads_.StopAndJoin(); }

}  // namespace qnc
