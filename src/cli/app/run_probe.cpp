#include "cli/app/run_probe.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "cli/app/csv_file.h"
#include "cli/app/table_text.h"
#if QNC_WITH_METRICS
#include "cli/app/serve_metrics.h"
#endif
#include "core/config/config_file.h"
#include "core/probe/row_statistics.h"
#include "core/probe/sample_csv.h"

namespace qnc {

namespace {

// Counts the passes of the three workers and prints each finished pass.
class PassPrinter {
 public:
  PassPrinter(std::ostream& out, bool json, bool stats, std::optional<std::uint64_t> passes)
      : out_(out), json_(json), stats_(stats), passes_(passes) {}

  // The session whose tables are printed; set before it starts.
  void Follow(ProbeSession& session) { session_ = &session; }

  void PassEnded(TableKind kind, std::uint64_t pass) {
    const std::string server = kind == TableKind::kDns ? session_->DnsServer().Text() : std::string();
    const TableStore& table = session_->Table(kind);
    TableSnapshot snapshot{kind, pass, server, table.Snapshot(), {}};
    if (stats_) {
      // Rows do not change while the terminal front end runs, so positions match.
      for (std::size_t i = 0; i < snapshot.rows.size(); ++i) {
        const RowRef row = table.RowAt(static_cast<int>(i));
        snapshot.stats.push_back(row ? ComputeRowStatistics(row.counters->history.Samples()) : RowStatistics{});
      }
    }
    std::lock_guard lock(mutex_);
    if (passes_ && pass > *passes_) return;
    out_ << (json_ ? FormatTableJson(snapshot) + "\n" : FormatTableText(snapshot) + "\n") << std::flush;
    if (passes_ && pass == *passes_) {
      ++tablesDone_;
      done_.notify_all();
    }
  }

  // Waits until every table has made its passes or `interrupted` says stop.
  void Wait(const std::function<bool()>& interrupted) {
    std::unique_lock lock(mutex_);
    while (!(passes_ && tablesDone_ == kAllTables.size()) && !interrupted()) {
      done_.wait_for(lock, std::chrono::milliseconds(100));
    }
  }

 private:
  std::ostream& out_;
  const bool json_;
  const bool stats_;
  const std::optional<std::uint64_t> passes_;
  ProbeSession* session_ = nullptr;
  std::mutex mutex_;
  std::condition_variable done_;
  std::size_t tablesDone_ = 0;
};

}  // namespace

bool FillTables(const CliOptions& options, ProbeSession& session, std::ostream& err) {
  if (!options.HasHostOptions()) session.AddDefaultRows();
  if (options.configPath) {
    std::string whyRefused;
    if (!session.ApplyConfig(ReadConfig(*options.configPath, &whyRefused))) {
      err << "quorix-probe: cannot use " << *options.configPath << ": " << whyRefused << "\n";
      return false;
    }
  }
  const PerTable<const std::vector<std::string>*> given{&options.dns, &options.ping, &options.game};
  for (const TableKind kind : kAllTables) session.AppendRows(kind, *given[kind]);
  return true;
}

ProbeSessionOptions SessionOptionsFor(const CliOptions& options, const ProbeSessionEnvironment& environment) {
  ProbeSessionOptions sessionOptions;
  sessionOptions.routeTablePath = environment.routeTablePath;
  sessionOptions.lookup = environment.lookup;
  sessionOptions.dns.initialServer = options.dnsServer;
  sessionOptions.dns.serverPort = options.dnsPort;
  for (const TableKind kind : kAllTables) {
    WorkerOptions& worker = sessionOptions.Worker(kind);
    worker.pauseMs = options.intervalMs.value_or(environment.pauseMs);
    worker.parallelProbes = options.parallel;
  }
  return sessionOptions;
}

int RunProbeSession(const CliOptions& options, ProbeSessionEnvironment& environment) {
#if QNC_WITH_METRICS
  if (options.metricsListen) return ServeMetrics(options, environment);
#endif
  PassPrinter printer(environment.out, options.json, options.stats, options.passes);
  ProbeSessionOptions sessionOptions = SessionOptionsFor(options, environment);
  for (const TableKind kind : kAllTables) {
    WorkerOptions& worker = sessionOptions.Worker(kind);
    worker.onPassEnd = [&printer, kind](std::uint64_t pass) { printer.PassEnded(kind, pass); };
  }
  ProbeSession session(std::move(sessionOptions));
  if (!FillTables(options, session, environment.err)) return kExitBadOptions;

  std::unique_ptr<CsvFile> csv;
  if (options.csvPath) {
    std::string whyNot;
    csv = CsvFile::Open(*options.csvPath, SampleCsvHeader(), whyNot);
    if (!csv) {
      environment.err << "quorix-probe: cannot write " << *options.csvPath << ": " << whyNot << "\n";
      return kExitFailed;
    }
    session.SetSampleListener([&csv](TableKind kind, RowId, const std::string& target, const Sample& sample) {
      csv->Append(FormatSampleCsv(kind, target, sample));
    });
  }

  printer.Follow(session);
  session.Start();
  printer.Wait([&] { return environment.interrupted() || (csv && csv->Failure()); });
  session.StopAndJoin();
  if (csv) {
    if (const auto failure = csv->Failure()) {
      environment.err << "quorix-probe: cannot write " << *options.csvPath << ": " << *failure << "\n";
      return kExitFailed;
    }
  }
  return 0;
}

}  // namespace qnc
