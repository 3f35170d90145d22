#include "cli/app/serve_metrics.h"

#include <chrono>
#include <thread>

#include "cli/metrics/metrics_server.h"
#include "cli/metrics/probe_metrics.h"
#include "core/config/config_file.h"
#include "core/probe/failure_reason.h"
#include "core/probe/sample.h"
#include "platform/ip_config.h"

namespace qnc {

namespace {

// Tells the metrics which rows the tables hold and which ping row is the gateway.
void ShowRows(ProbeMetrics& metrics, const ProbeSession& session, const std::string& routeTablePath) {
  // All at once: a scrape never sees one table of the new rows beside another of the old.
  metrics.SetTables(session.Targets(), FindGatewayAddress(routeTablePath));
}

// Re-reads the configuration file: the tables it covers get its rows again,
// followed by the rows given on the command line, as at start.
void ReloadTables(const CliOptions& options, ProbeSession& session, std::ostream& err) {
  if (!options.configPath) {
    err << "quorix-probe: asked to re-read the rows, but they come from no --config file\n";
    return;
  }
  std::string whyRefused;
  const LoadedConfig loaded = ReadConfig(*options.configPath, &whyRefused);
  if (!loaded.accepted) {
    err << "quorix-probe: kept the rows: cannot use " << *options.configPath << ": " << whyRefused << "\n";
    return;
  }
  session.ApplyConfig(loaded);
  const PerTable<const std::vector<std::string>*> given{&options.dns, &options.ping, &options.game};
  for (const TableKind kind : kAllTables) {
    if (loaded.tables[kind]) session.AppendRows(kind, *given[kind]);
  }
  err << "quorix-probe: re-read " << *options.configPath << "\n";
}

}  // namespace

int ServeMetrics(const CliOptions& options, ProbeSessionEnvironment& environment) {
  ProbeMetrics metrics(QNC_VERSION);
  std::string whyNot;
  const auto server = MetricsServer::Listen(
      *options.metricsListen, [&metrics](std::string& out) { metrics.WriteText(out); }, whyNot);
  if (!server) {
    environment.err << "quorix-probe: cannot serve metrics on " << *options.metricsListen << ": " << whyNot << "\n";
    return kExitFailed;
  }

  ProbeSession session(SessionOptionsFor(options, environment));
  session.SetSampleListener(
      [&metrics, &session](TableKind kind, RowId, const std::string& target, const Sample& sample) {
        const std::chrono::microseconds roundTrip(sample.roundTripUs);
        const std::string dnsServer = kind == TableKind::kDns ? session.DnsServer().Text() : std::string();
        metrics.Record(kind, target, dnsServer, {FailureLabel(sample.outcome), roundTrip, sample.time + roundTrip});
      });
  if (!FillTables(options, session, environment.err)) return kExitBadOptions;
  ShowRows(metrics, session, environment.routeTablePath);
  session.Start();
  const std::string address = options.metricsListen->substr(0, options.metricsListen->rfind(':'));
  environment.err << "quorix-probe: serving metrics on http://" << address << ":" << server->Port() << "/metrics\n"
                  << std::flush;

  while (!environment.interrupted()) {
    if (environment.reloadRequested()) {
      ReloadTables(options, session, environment.err);
      ShowRows(metrics, session, environment.routeTablePath);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  session.StopAndJoin();
  return 0;
}

}  // namespace qnc
