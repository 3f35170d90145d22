#pragma once
#include <string>
#include <variant>
#include <vector>

#include "cli/app/cli_options.h"
#include "core/lantest/lan_stream.h"
#include "core/lantest/lan_test_state.h"

namespace qnc {

struct LanServerCommand {
  int port = kDefaultLanPort;
};

struct LanClientCommand {
  std::string address;
  int port = kDefaultLanPort;
  int connections = 1;
  TransferMode mode = TransferMode::kBoth;
  int seconds = 10;
  // Rows probed from idleSeconds before the test until its end, to show the
  // latency the load adds: pings (the word "gateway" stands for this
  // machine's gateway) and TCP connects to host:port.
  std::vector<std::string> latencyPings;
  std::vector<std::string> latencyGames;
  int idleSeconds = 3;
  bool json = false;
};

// --help: print the usage and succeed.
struct LanUsageRequest {};

using LanCommand = std::variant<LanServerCommand, LanClientCommand, LanUsageRequest, CliError>;

// Reads args[0] (the subcommand word) and its options. Ports are 1 to 65535,
// the address a dotted IPv4 address, connections 1, 4 or 8, seconds 1 to
// 86400, idle seconds 1 to 60.
LanCommand ParseLanCommand(const std::vector<std::string>& args);

}  // namespace qnc
