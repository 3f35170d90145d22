#pragma once
#include <cstdint>
#include <optional>
#include <ostream>
#include <stop_token>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace qnc {

// quorix-probe trace HOST [--tcp PORT] [--count N] [--interval MS] [--max-hops N] [--no-names] [--json]
struct TraceCommand {
  std::string host;
  std::optional<std::uint16_t> tcpPort;
  std::uint32_t count = 10;
  int intervalMs = 1000;
  int maxHops = 30;
  bool names = true;
  bool json = false;
};

// The command from args (args[0] is the word "trace"), or what is wrong with them.
std::variant<TraceCommand, std::string> ParseTraceCommand(const std::vector<std::string>& args);

// Traces the route, then prints one line per hop with its figures and the
// verdict (or one JSON object). Returns 0, kExitFailed with a message on err
// when the trace could not start, kExitBadOptions for bad options.
int RunTraceCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::stop_token stop);

void PrintTraceUsage(std::ostream& out);

inline constexpr std::string_view kTraceCommand = "trace";

}  // namespace qnc
