#include "cli/app/lan_command_options.h"

#include <optional>
#include <string_view>

#include "cli/app/lan_command.h"
#include "platform/ipv4.h"

namespace qnc {

namespace {

constexpr int kMaxSeconds = 86400;
constexpr int kMaxIdleSeconds = 60;

std::optional<TransferMode> ParseMode(std::string_view text) {
  if (text == "both") return TransferMode::kBoth;
  if (text == "download") return TransferMode::kDownloadOnly;
  if (text == "upload") return TransferMode::kUploadOnly;
  return std::nullopt;
}

CliError Error(std::string_view command, std::string_view text) {
  return CliError{std::string(command) + ": " + std::string(text)};
}

}  // namespace

LanCommand ParseLanCommand(const std::vector<std::string>& args) {
  if (args.empty()) return CliError{"missing subcommand: lan-server or lan-client"};
  const std::string_view command = args[0];
  const bool server = command == kLanServerCommand;
  if (!server && command != kLanClientCommand) {
    return CliError{"unknown subcommand '" + std::string(command) + "': use lan-server or lan-client"};
  }
  LanServerCommand serverCommand;
  LanClientCommand clientCommand;
  bool haveAddress = false;
  for (std::size_t at = 1; at < args.size(); ++at) {
    const std::string_view option = args[at];
    if (option == "--help" || option == "-h") return LanUsageRequest{};
    if (!server && option == "--json") {
      clientCommand.json = true;
      continue;
    }
    const bool known =
        option == "--port" || (!server && (option == "--address" || option == "--connections" || option == "--mode" ||
                                           option == "--seconds" || option == "--latency-ping" ||
                                           option == "--latency-game" || option == "--idle-seconds"));
    if (!known) return Error(command, "unknown option '" + std::string(option) + "' (see --help)");
    if (at + 1 >= args.size()) return Error(command, std::string(option) + " needs a value");
    const std::string_view value = args[++at];
    if (option == "--port") {
      const auto port = ParseNumber(value, 1, 65535);
      if (!port) return Error(command, "--port must be a number from 1 to 65535, not '" + std::string(value) + "'");
      serverCommand.port = clientCommand.port = *port;
    } else if (option == "--address") {
      if (!ParseDottedQuad(value)) {
        return Error(command, "--address must be a dotted IPv4 address, not '" + std::string(value) + "'");
      }
      clientCommand.address = value;
      haveAddress = true;
    } else if (option == "--connections") {
      const auto count = ParseNumber(value, 1, 8);
      if (!count || (*count != 1 && *count != 4 && *count != 8)) {
        return Error(command, "--connections must be 1, 4 or 8, not '" + std::string(value) + "'");
      }
      clientCommand.connections = *count;
    } else if (option == "--mode") {
      const auto mode = ParseMode(value);
      if (!mode) return Error(command, "--mode must be both, download or upload, not '" + std::string(value) + "'");
      clientCommand.mode = *mode;
    } else if (option == "--latency-ping" || option == "--latency-game") {
      if (value.empty()) return Error(command, std::string(option) + " needs a host");
      (option == "--latency-ping" ? clientCommand.latencyPings : clientCommand.latencyGames).emplace_back(value);
    } else if (option == "--idle-seconds") {
      const auto seconds = ParseNumber(value, 1, kMaxIdleSeconds);
      if (!seconds) {
        return Error(command, "--idle-seconds must be a number from 1 to " + std::to_string(kMaxIdleSeconds) +
                                  ", not '" + std::string(value) + "'");
      }
      clientCommand.idleSeconds = *seconds;
    } else {
      const auto seconds = ParseNumber(value, 1, kMaxSeconds);
      if (!seconds) {
        return Error(command, "--seconds must be a number from 1 to " + std::to_string(kMaxSeconds) + ", not '" +
                                  std::string(value) + "'");
      }
      clientCommand.seconds = *seconds;
    }
  }
  if (server) return serverCommand;
  if (!haveAddress) return Error(command, "--address is required");
  return clientCommand;
}

}  // namespace qnc
