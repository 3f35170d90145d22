#pragma once
#include <atomic>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/config/config_file.h"
#include "core/model/table_kind.h"
#include "core/model/text_field.h"
#include "core/probe/coordination.h"
#include "core/probe/dns_server_tally.h"
#include "core/probe/dns_worker.h"
#include "core/probe/game_worker.h"
#include "core/probe/ping_worker.h"
#include "core/probe/table_store.h"
#include "platform/ip_config.h"
#include "platform/thread_group.h"

namespace qnc {

// How a probe session measures: each worker's own options, and where the LAN
// gateway of the ping table's default row is looked up.
struct ProbeSessionOptions {
  DnsWorkerOptions dns;
  PingWorkerOptions ping;
  GameWorkerOptions game;
  std::string routeTablePath = kRouteTablePath;
  // Stands in for the system's name lookup (tests); empty: the system's.
  HostLookup lookup;
  // How long a ping or game row's name lookup may take before it fails as a DNS time-out.
  std::chrono::milliseconds lookupLimit = HostResolver::Options{}.lookupLimit;

  // The options every worker has (clock, pause, pass callback), by table.
  WorkerOptions& Worker(TableKind kind) { return *PerTable<WorkerOptions*>{&dns, &ping, &game}[kind]; }
};

// The three measured tables and everything that measures them: the table
// stores, the DNS server text, the counter reset request, the name resolver
// and the DNS, ping and game workers on their threads. Front ends present the
// stores, edit rows through the session and start and stop it; none wires
// workers itself.
class ProbeSession {
 public:
  explicit ProbeSession(ProbeSessionOptions options = {});
  ProbeSession(const ProbeSession&) = delete;
  ProbeSession& operator=(const ProbeSession&) = delete;
  // Stops the workers and joins them.
  ~ProbeSession();

  TableStore& Table(TableKind kind) { return tables_[kind]; }
  const TableStore& Table(TableKind kind) const { return tables_[kind]; }
  // The server the DNS worker queries; it fills in its first value when it starts.
  TextFieldStore& DnsServer() { return dnsServer_; }
  ResetRequest& Reset() { return reset_; }
  // Every DNS server the DNS table has queried, with its look-ups' figures:
  // each DNS sample counts for the server the box names as it ends.
  const DnsServerTally& DnsServers() const { return dnsServers_; }

  // Routes this table's row inserts and deletes through editor (a front end's
  // model that presents the store); null routes them to the store again.
  void SetRowEditor(TableKind kind, RowEditor* editor);

  // Appends every table's default rows (the ping table's gateway row from the
  // route table at options.routeTablePath).
  void AddDefaultRows();
  // Appends a row holding only its target and returns its identity.
  RowId AppendRow(TableKind kind, std::string_view target);
  // Deletes the row at index with its counters; false when there is none.
  bool DeleteRow(TableKind kind, int index);
  // Appends rows holding only their targets.
  void AppendRows(TableKind kind, const std::vector<std::string>& targets);
  // A loaded configuration file: each table the file reached gets the file's
  // rows in place of its own (targets only, with counters of their own); the
  // others keep theirs. A refused file changes nothing and gives false.
  bool ApplyConfig(const LoadedConfig& loaded);
  // The targets of every table, top row first (what a save writes).
  ConfigTables Targets() const;
  // Restarts the counters of all three tables: the DNS and ping workers at
  // their next pass, the game table's now.
  void RestartAllCounters();
  // Marks the moment the user asked the tables to start counting afresh (a
  // retest, a loaded configuration): the diagnosis judges nothing older.
  void MarkRetested(std::chrono::system_clock::time_point at = std::chrono::system_clock::now());
  // The last such moment; nothing before the first.
  std::optional<std::chrono::system_clock::time_point> RetestedAt() const;

  // Hears of every sample of the three tables (see SampleListener), in
  // addition to any listener the worker options name. Set it before Start.
  void SetSampleListener(SampleListener listener) { sampleListener_ = std::move(listener); }

  // Starts the DNS, ping and game workers, in this order; once per session.
  void Start();
  // Asks the three workers to stop, without waiting.
  void RequestStop();
  // Asks the workers to stop and waits at most `limit`; true when all have
  // ended (they are then joined).
  bool StopWithin(std::chrono::milliseconds limit);
  // Asks all three to stop, then joins them.
  void StopAndJoin();
  // Workers whose thread is still running.
  std::size_t Running() const { return threads_.Running(); }

 private:
  RowEditor& EditorOf(TableKind kind);
  // The worker's options with their sample listener also calling the session's.
  template <typename Options>
  Options WithSessionListener(Options options);

  SampleListener sampleListener_;
  const ProbeSessionOptions options_;
  PerTable<TableStore> tables_;
  PerTable<RowEditor*> editors_;  // null: the store itself
  TextFieldStore dnsServer_;
  DnsServerTally dnsServers_;
  ResetRequest reset_;
  // System-clock ticks since the epoch of the last retest; 0 for none.
  std::atomic<std::chrono::system_clock::rep> retestedAt_{0};
  HostResolver resolver_{
      HostResolver::Options{.lookup = options_.lookup, .now = {}, .lookupLimit = options_.lookupLimit}};
  DnsWorker dnsWorker_;
  PingWorker pingWorker_;
  GameWorker gameWorker_;
  // Declared last: the threads stop and join before anything they use goes.
  ThreadGroup threads_;
};

}  // namespace qnc
