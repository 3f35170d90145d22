#include "cli/lan_command.h"

#include <algorithm>
#include <chrono>
#include <variant>

#include "cli/lan_command_options.h"
#include "lantest/lan_log.h"
#include "lantest/lan_test_controller.h"
#include "lantest/lan_test_state.h"
#include "platform/stop_sleep.h"

namespace qnc {

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kPollInterval = std::chrono::milliseconds(100);

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
    err << "lan-server: cannot listen on TCP port " << command.port << "\n";
    return kExitFailed;
  }
  return 0;
}

int RunClient(const LanClientCommand& command, std::ostream& out, std::ostream& err, std::stop_token stop) {
  ConsoleLines console(out);
  ConsoleLog log(console);
  LanTestState state;
  LanTestController controller(state, log, console);
  controller.StartClients(static_cast<int>(command.mode), command.connections,
                          LanClientSettings{command.address, command.port});
  // Runs for the given time, or until Ctrl-C, or until every connection has ended.
  const auto deadline = Clock::now() + std::chrono::seconds(command.seconds);
  while (!stop.stop_requested() && controller.ClientsRunning() > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (left.count() <= 0) break;
    SleepUnlessStopped(stop, std::min<std::chrono::milliseconds>(left, kPollInterval));
  }
  controller.Shutdown();
  if (controller.Counters().clientsConnected.load() == 0) {
    err << "lan-client: no connection to " << command.address << ":" << command.port << "\n";
    return kExitFailed;
  }
  return 0;
}

}  // namespace

int RunLanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::stop_token stop) {
  const LanCommand command = ParseLanCommand(args);
  if (const auto* error = std::get_if<CliError>(&command)) {
    err << "error: " << error->message << "\n";
    PrintLanUsage(err);
    return kExitBadOptions;
  }
  if (std::holds_alternative<LanUsageRequest>(command)) {
    PrintLanUsage(out);
    return 0;
  }
  if (const auto* server = std::get_if<LanServerCommand>(&command)) return RunServer(*server, out, err, stop);
  return RunClient(std::get<LanClientCommand>(command), out, err, stop);
}

void PrintLanUsage(std::ostream& out) {
  out << "LAN throughput test (run the server on one machine, the client on another):\n"
         "  lan-server [--port N]\n"
         "      listen on TCP port N (default 10110) until Ctrl-C\n"
         "  lan-client --address A [--port N] [--connections 1|4|8] [--mode both|download|upload] [--seconds S]\n"
         "      measure against the server at dotted IPv4 address A, port N (default 10110),\n"
         "      over 1, 4 or 8 connections (default 1), both ways (default), download or upload only,\n"
         "      for S seconds (default 10) or until Ctrl-C\n";
}

bool IsLanCommand(std::string_view word) { return word == kLanServerCommand || word == kLanClientCommand; }

}  // namespace qnc
