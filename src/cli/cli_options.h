#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace qnc {

// What the probe front end was asked to do.
struct CliOptions {
  std::vector<std::string> dns, ping, game;  // rows given on the command line
  std::optional<std::string> dnsServer;
  std::uint16_t dnsPort = 53;
  std::optional<std::string> configPath;
  std::optional<std::uint64_t> passes;  // end after this many passes of every worker
  bool json = false;
  bool help = false;

  bool HasHostOptions() const { return !dns.empty() || !ping.empty() || !game.empty(); }
};

struct CliError {
  std::string message;
};

// Parses the arguments after the program name.
std::variant<CliOptions, CliError> ParseCliOptions(const std::vector<std::string>& args);

// The --help text.
const char* CliUsage();

}  // namespace qnc
