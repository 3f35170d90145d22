// quorix-probe: the headless front end. Measures the DNS, ping and game
// tables in a terminal, or runs the LAN throughput test.
#include <chrono>
#include <iostream>
#include <stop_token>
#include <string>
#include <thread>
#include <variant>
#include <vector>

#include "cli/app/cli_options.h"
#include "cli/app/lan_command.h"
#include "cli/app/run_probe.h"
#include "cli/app/trace_command.h"
#include "platform/terminal.h"

int main(int argc, char** argv) {
  qnc::CatchInterrupts();
  qnc::UseUtf8Console();
  // A file size limit fails the CSV write (which then says so) instead of ending the program.
  qnc::FailWritesPastFileSizeLimit();
  const std::vector<std::string> args = qnc::CommandLineArguments(argc, argv);

  if (!args.empty() && (qnc::IsLanCommand(args.front()) || args.front() == qnc::kTraceCommand)) {
    // The LAN test and the route trace watch a stop token; Ctrl-C raises it.
    std::stop_source stop;
    std::jthread watcher([&stop](std::stop_token done) {
      while (!done.stop_requested() && !qnc::InterruptRequested()) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
      }
      stop.request_stop();
    });
    if (args.front() == qnc::kTraceCommand) return qnc::RunTraceCommand(args, std::cout, std::cerr, stop.get_token());
    return qnc::RunLanCommand(args, std::cout, std::cerr, stop.get_token());
  }

  const auto parsed = qnc::ParseCliOptions(args);
  if (const auto* error = std::get_if<qnc::CliError>(&parsed)) {
    std::cerr << "quorix-probe: " << error->message << "\n";
    return qnc::kExitBadOptions;
  }
  const auto& options = std::get<qnc::CliOptions>(parsed);
  if (options.help) {
    std::cout << qnc::CliUsage() << "\n";
    qnc::PrintLanUsage(std::cout);
    qnc::PrintTraceUsage(std::cout);
    return 0;
  }
  qnc::ProbeSessionEnvironment environment{std::cout, std::cerr};
  environment.interrupted = [] { return qnc::InterruptRequested(); };
  if (options.metricsListen) {
    // A service manager's reload asks the metrics server to re-read its rows.
    qnc::CatchReloadRequests();
    environment.reloadRequested = [] { return qnc::TakeReloadRequest(); };
  }
  return qnc::RunProbeSession(options, environment);
}
