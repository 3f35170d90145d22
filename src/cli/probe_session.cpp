#include "cli/probe_session.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "cli/table_text.h"
#include "config/config_file.h"
#include "probe/default_rows.h"
#include "probe/dns_worker.h"
#include "probe/game_worker.h"
#include "probe/ping_worker.h"

namespace qnc {

namespace {

void AddRows(TableStore& table, const std::vector<DefaultRow>& rows) {
  for (const DefaultRow& row : rows) {
    const RowId id = table.InsertRow(table.RowCount(), row.target);
    for (const auto& [column, text] : row.cells) table.SetCell(id, column, text);
  }
}

void AddTargets(TableStore& table, const std::vector<std::string>& targets) {
  for (const std::string& target : targets) table.InsertRow(table.RowCount(), target);
}

void ReplaceRows(TableStore& table, const std::optional<std::vector<std::string>>& rows) {
  if (!rows) return;
  table.DeleteAllRows();
  AddTargets(table, *rows);
}

// Counts the passes of the three workers and prints each finished pass.
class PassPrinter {
 public:
  PassPrinter(std::ostream& out, bool json, std::optional<std::uint64_t> passes)
      : out_(out), json_(json), passes_(passes) {}

  void PassEnded(const TableStore& table, std::uint64_t pass, const TextField* server) {
    TableSnapshot snapshot{table.Kind(), pass, server != nullptr ? server->Text() : std::string(), table.Snapshot()};
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
    while (!(passes_ && tablesDone_ == 3) && !interrupted()) {
      done_.wait_for(lock, std::chrono::milliseconds(100));
    }
  }

 private:
  std::ostream& out_;
  const bool json_;
  const std::optional<std::uint64_t> passes_;
  std::mutex mutex_;
  std::condition_variable done_;
  int tablesDone_ = 0;
};

}  // namespace

bool FillTables(const CliOptions& options, ProbeTables& tables, const std::string& routeTablePath,
                std::ostream& err) {
  if (!options.HasHostOptions()) {
    AddRows(tables.dns, DefaultDnsRows());
    AddRows(tables.ping, DefaultPingRows(FindGatewayAddress(routeTablePath)));
    AddRows(tables.game, DefaultGameRows());
  }
  if (options.configPath) {
    std::string whyRefused;
    const LoadedConfig loaded = ReadConfig(*options.configPath, &whyRefused);
    if (!loaded.accepted) {
      err << "quorix-probe: cannot use " << *options.configPath << ": " << whyRefused << "\n";
      return false;
    }
    ReplaceRows(tables.dns, loaded.dns);
    ReplaceRows(tables.ping, loaded.ping);
    ReplaceRows(tables.game, loaded.game);
  }
  AddTargets(tables.dns, options.dns);
  AddTargets(tables.ping, options.ping);
  AddTargets(tables.game, options.game);
  return true;
}

int RunProbeSession(const CliOptions& options, ProbeSessionEnvironment& environment) {
  ProbeTables tables;
  if (!FillTables(options, tables, environment.routeTablePath, environment.err)) return 2;
  TableStore& dnsTable = tables.dns;
  TableStore& pingTable = tables.ping;
  TableStore& gameTable = tables.game;

  TextFieldStore dnsServer;
  ResetRequest reset;
  ResolverLock resolver;
  PassPrinter printer(environment.out, options.json, options.passes);

  DnsWorkerOptions dnsOptions;
  dnsOptions.initialServer = options.dnsServer;
  dnsOptions.serverPort = options.dnsPort;
  dnsOptions.pauseMs = environment.pauseMs;
  dnsOptions.onPassEnd = [&](std::uint64_t pass) { printer.PassEnded(dnsTable, pass, &dnsServer); };
  PingWorkerOptions pingOptions;
  pingOptions.pauseMs = environment.pauseMs;
  pingOptions.onPassEnd = [&](std::uint64_t pass) { printer.PassEnded(pingTable, pass, nullptr); };
  GameWorkerOptions gameOptions;
  gameOptions.pauseMs = environment.pauseMs;
  gameOptions.onPassEnd = [&](std::uint64_t pass) { printer.PassEnded(gameTable, pass, nullptr); };

  DnsWorker dnsWorker(dnsTable, dnsServer, reset, dnsOptions);
  PingWorker pingWorker(pingTable, reset, resolver, pingOptions);
  GameWorker gameWorker(gameTable, resolver, gameOptions);
  {
    std::jthread dnsThread([&](std::stop_token stop) { dnsWorker.Run(stop); });
    std::jthread pingThread([&](std::stop_token stop) { pingWorker.Run(stop); });
    std::jthread gameThread([&](std::stop_token stop) { gameWorker.Run(stop); });
    printer.Wait(environment.interrupted);
  }  // the threads are asked to stop and joined here
  return 0;
}

}  // namespace qnc
