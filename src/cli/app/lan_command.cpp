#include "cli/app/lan_command.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <sstream>
#include <string>
#include <variant>

#include "cli/app/lan_command_options.h"
#include "cli/app/load_latency_probe.h"
#include "cli/app/safe_text.h"
#include "core/lantest/lan_log.h"
#include "core/lantest/lan_test_controller.h"
#include "core/lantest/lan_test_state.h"
#include "platform/stop_sleep.h"

namespace qnc {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollInterval = std::chrono::milliseconds(100);

// Every complaint starts the way the table mode's do: the program, then the subcommand.
std::ostream& Complain(std::ostream& err, std::string_view command) {
  return err << "quorix-probe: " << command << ": ";
}

int RunServer(const LanServerCommand& command, std::ostream& out, std::ostream& err, std::stop_token stop) {
  ConsoleLines console(out);
  ConsoleLog log(console);
  LanTestState state;
  LanTestController controller(state, log, console);
  controller.StartListener(command.port);
  // The listener runs until Ctrl-C; one that ends by itself could not listen.
  while (!stop.stop_requested() && controller.ListenersRunning() > 0) SleepUnlessStopped(stop, kPollInterval);
  const bool listenerFailed = !stop.stop_requested();
  controller.Shutdown();
  if (listenerFailed) {
    Complain(err, kLanServerCommand) << "cannot listen on TCP port " << command.port << "\n";
    return kExitFailed;
  }
  return 0;
}

// The time over which the client meter's totals grew, as seen by polling them.
class MeasuredTime {
 public:
  void Poll(const ThroughputMeter& meter) {
    const MeterReading reading = meter.Read();
    const std::int64_t total = reading.receivedTotal + reading.sentTotal;
    if (total == lastTotal_) return;
    const auto now = Clock::now();
    if (!first_) first_ = now;
    last_ = now;
    lastTotal_ = total;
  }
  bool Any() const { return first_.has_value(); }
  double Seconds() const { return first_ ? std::chrono::duration<double>(last_ - *first_).count() : 0.0; }

 private:
  std::int64_t lastTotal_ = 0;
  std::optional<Clock::time_point> first_;
  Clock::time_point last_;
};

std::string SecondsText(double seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", seconds);
  return text;
}

std::string_view ModeWord(TransferMode mode) {
  switch (mode) {
    case TransferMode::kDownloadOnly:
      return "download";
    case TransferMode::kUploadOnly:
      return "upload";
    case TransferMode::kBoth:
      break;
  }
  return "both";
}

// The client's whole run as one JSON object, for --json.
std::string ClientJson(const LanClientCommand& command, double seconds, const MeterReading& reading,
                       const std::vector<LoadLatencyProbe::RowResult>& latency) {
  std::string json = "{\"server\":";
  AppendJsonString(json, command.address + ":" + std::to_string(command.port));
  json += ",\"mode\":\"" + std::string(ModeWord(command.mode)) + "\"";
  json += ",\"connections\":" + std::to_string(command.connections);
  char measured[32];
  std::snprintf(measured, sizeof measured, "%.3f", seconds);
  json += ",\"seconds\":" + std::string(measured);
  json += ",\"received_bytes\":" + std::to_string(reading.receivedTotal);
  json += ",\"sent_bytes\":" + std::to_string(reading.sentTotal);
  json += ",\"latency_under_load\":" + LoadLatencyJson(latency) + "}";
  return json;
}

int RunClient(const LanClientCommand& command, std::ostream& out, std::ostream& err, std::stop_token stop,
              ProbeSessionOptions latencyOptions) {
  // With --json the per-second lines are left out: one object follows at the end.
  std::ostringstream discarded;
  ConsoleLines console(command.json ? discarded : out);
  ConsoleLog log(console);
  LanTestState state;
  LanTestController controller(state, log, console);
  // The watched rows first measure the quiet link, then the loaded one.
  LoadLatencyProbe latency(command, err, std::move(latencyOptions));
  if (latency.Any()) {
    latency.Start();
    SleepUnlessStopped(stop, std::chrono::seconds(command.idleSeconds));
    latency.LoadStarts();
  }
  controller.StartClients(static_cast<int>(command.mode), command.connections,
                          LanClientSettings{command.address, command.port});
  // Runs for the given time, or until Ctrl-C, or until every connection has ended.
  const auto deadline = Clock::now() + std::chrono::seconds(command.seconds);
  MeasuredTime measured;
  bool endedEarly = false;
  while (!stop.stop_requested()) {
    measured.Poll(state.clientMeter);
    if (controller.ClientsRunning() == 0) {
      endedEarly = true;
      break;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    SleepUnlessStopped(stop, std::min<std::chrono::milliseconds>(left, kPollInterval));
  }
  latency.LoadEnds();
  controller.Shutdown();
  latency.Stop();
  measured.Poll(state.clientMeter);
  const std::vector<LoadLatencyProbe::RowResult> latencyRows = latency.Results();
  if (command.json) {
    out << ClientJson(command, measured.Seconds(), state.clientMeter.Read(), latencyRows) << "\n";
  } else {
    PrintLoadLatencyLines(out, latencyRows, command.mode);
  }

  const LanEngineCounters& counters = controller.Counters();
  const std::string server = command.address + ":" + std::to_string(command.port);
  const int refused = counters.clientsRefused.load();
  const std::string seconds = SecondsText(measured.Seconds());
  if (counters.clientsConnected.load() == 0) {
    Complain(err, kLanClientCommand) << "no connection to " << server << "; nothing was measured\n";
    return kExitFailed;
  }
  if (!measured.Any()) {
    if (refused > 0) {
      Complain(err, kLanClientCommand)
          << "the server at " << server << " closed " << refused << " of " << command.connections
          << " connections before sending anything (it takes no more connections from this address);"
             " nothing was measured\n";
    } else {
      Complain(err, kLanClientCommand) << "connected to " << server << " but no data came back; nothing was measured\n";
    }
    return kExitFailed;
  }
  if (refused > 0) {
    Complain(err, kLanClientCommand) << "the server at " << server << " turned away " << refused << " of "
                                     << command.connections << " connections\n";
  }
  if (endedEarly) {
    Complain(err, kLanClientCommand) << "every connection to " << server << " ended before the " << command.seconds
                                     << " s run was over (the server closed them or stopped answering); " << seconds
                                     << " were measured\n";
    return kExitFailed;
  }
  return 0;
}

}  // namespace

int RunLanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::stop_token stop) {
  // Built as the table mode builds its options: GCC 12 at -O3 takes a value-initialised
  // object of these options for half-built (a false "maybe uninitialised").
  ProbeSessionOptions latencyOptions;
  latencyOptions.routeTablePath = kRouteTablePath;
  return RunLanCommand(args, out, err, std::move(stop), latencyOptions);
}

int RunLanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::stop_token stop,
                  const ProbeSessionOptions& latencyOptions) {
  const LanCommand command = ParseLanCommand(args);
  if (const auto* error = std::get_if<CliError>(&command)) {
    // As the table mode reports bad options: one line, no usage text.
    err << "quorix-probe: " << error->message << "\n";
    return kExitBadOptions;
  }
  if (std::holds_alternative<LanUsageRequest>(command)) {
    PrintLanUsage(out);
    return 0;
  }
  if (const auto* server = std::get_if<LanServerCommand>(&command)) return RunServer(*server, out, err, stop);
  return RunClient(std::get<LanClientCommand>(command), out, err, stop, latencyOptions);
}

void PrintLanUsage(std::ostream& out) {
  out << "LAN throughput test (run the server on one machine, the client on another):\n"
         "  lan-server [--port N]\n"
         "      listen on TCP port N (default 10110) until Ctrl-C\n"
         "  lan-client --address A [--port N] [--connections 1|4|8] [--mode both|download|upload] [--seconds S]\n"
         "      measure against the server at dotted IPv4 address A, port N (default 10110),\n"
         "      over 1, 4 or 8 connections (default 1), both ways (default), download or upload only,\n"
         "      for S seconds (default 10) or until Ctrl-C; exits 1 when nothing was measured or every\n"
         "      connection ended before the time was up\n"
         "      --latency-ping HOST / --latency-game HOST:PORT (repeatable): probe these rows from\n"
         "      --idle-seconds S (default 3) before the test until its end and report the latency the\n"
         "      load adds (idle median, loaded median and p95, grade); \"gateway\" names this machine's\n"
         "      gateway. --json: one JSON object at the end instead of the per-second lines\n";
}

bool IsLanCommand(std::string_view word) { return word == kLanServerCommand || word == kLanClientCommand; }

}  // namespace qnc
