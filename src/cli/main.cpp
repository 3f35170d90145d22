// quorix-probe: the headless front end. Measures the DNS, ping and game
// tables in a terminal, or runs the LAN throughput test.
#include <atomic>
#include <csignal>
#include <iostream>
#include <string>
#include <variant>
#include <vector>

#include "cli/cli_options.h"
#include "cli/probe_session.h"

namespace {

std::atomic<bool> interruptRequested{false};

extern "C" void OnInterrupt(int) { interruptRequested.store(true); }

}  // namespace

int main(int argc, char** argv) {
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  const std::vector<std::string> args(argv + 1, argv + argc);

  const auto parsed = qnc::ParseCliOptions(args);
  if (const auto* error = std::get_if<qnc::CliError>(&parsed)) {
    std::cerr << "quorix-probe: " << error->message << "\n";
    return 2;
  }
  const auto& options = std::get<qnc::CliOptions>(parsed);
  if (options.help) {
    std::cout << qnc::CliUsage();
    return 0;
  }
  qnc::ProbeSessionEnvironment environment{std::cout, std::cerr};
  environment.interrupted = [] { return interruptRequested.load(); };
  return qnc::RunProbeSession(options, environment);
}
