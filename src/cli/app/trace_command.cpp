#include "cli/app/trace_command.h"

#include <charconv>

#include "cli/app/cli_options.h"
#include "cli/app/trace_report.h"
#include "core/route/route_reading.h"
#include "core/route/route_trace.h"
#include "platform/ip_config.h"
#include "platform/ttl_probe.h"

namespace qnc {

namespace {

template <typename Number>
std::optional<Number> ParseNumber(const std::string& text, Number least, Number most) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || value < least || value > most) return std::nullopt;
  return value;
}

}  // namespace

std::variant<TraceCommand, std::string> ParseTraceCommand(const std::vector<std::string>& args) {
  TraceCommand command;
  bool haveHost = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    if (arg == "--json") {
      command.json = true;
    } else if (arg == "--no-names") {
      command.names = false;
    } else if (arg == "--tcp" || arg == "--count" || arg == "--interval" || arg == "--max-hops") {
      const auto text = value();
      if (!text) return arg + " needs a value";
      if (arg == "--tcp") {
        const auto port = ParseNumber<std::uint16_t>(*text, 1, 65535);
        if (!port) return "--tcp needs a port from 1 to 65535, not \"" + *text + "\"";
        command.tcpPort = port;
      } else if (arg == "--count") {
        const auto count = ParseNumber<std::uint32_t>(*text, 1, 1000000);
        if (!count) return "--count needs a number of rounds from 1 to 1000000, not \"" + *text + "\"";
        command.count = *count;
      } else if (arg == "--interval") {
        const auto interval = ParseNumber<int>(*text, 10, 60000);
        if (!interval) return "--interval needs milliseconds from 10 to 60000, not \"" + *text + "\"";
        command.intervalMs = *interval;
      } else {
        const auto hops = ParseNumber<int>(*text, 1, 64);
        if (!hops) return "--max-hops needs a number from 1 to 64, not \"" + *text + "\"";
        command.maxHops = *hops;
      }
    } else if (!arg.empty() && arg[0] == '-') {
      return "unknown option " + arg;
    } else if (haveHost) {
      return "one host only (got \"" + command.host + "\" and \"" + arg + "\")";
    } else {
      command.host = arg;
      haveHost = true;
    }
  }
  if (!haveHost || command.host.empty()) return "trace needs a host";
  return command;
}

void PrintTraceUsage(std::ostream& out) {
  out << "\n"
         "Usage: quorix-probe trace HOST [--tcp PORT] [--count N] [--interval MS] [--max-hops N] [--no-names] "
         "[--json]\n"
         "Traces the route to HOST hop by hop (TTL 1 to 30, none beyond the destination) and says where\n"
         "trouble starts: the home network, the provider's access, the wider route or the destination's\n"
         "network. Loss or delay is blamed on a hop only when every later hop and the destination share it.\n"
         "  --tcp PORT     probe with TCP connects to PORT (the game's own port) instead of ICMP echo;\n"
         "                reaches servers that ignore ping\n"
         "  --count N      rounds of probes before the report (default 10)\n"
         "  --interval MS  time between rounds: each hop gets one probe per interval (default 1000; below\n"
         "                 1000 routers that limit their answers show loss that is no fault, and the report\n"
         "                 says so)\n"
         "  --max-hops N   highest TTL probed (default 30)\n"
         "  --no-names     skip the reverse name lookups of the hops\n"
         "  --json         print the report as one JSON object\n";
}

int RunTraceCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::stop_token stop) {
  const auto parsed = ParseTraceCommand(args);
  if (const auto* error = std::get_if<std::string>(&parsed)) {
    err << "quorix-probe: trace: " << *error << "\n";
    return kExitBadOptions;
  }
  const auto& command = std::get<TraceCommand>(parsed);
  RouteRequest request;
  request.target = command.host;
  request.tcpPort = command.tcpPort;
  request.options.rounds = command.count;
  request.options.interval = std::chrono::milliseconds(command.intervalMs);
  request.options.maxTtl = command.maxHops;
  request.reverseNames = command.names;
  RouteTrace trace(request);
  trace.WaitFinished(stop);
  trace.Stop();
  const RouteSnapshot snapshot = trace.Snapshot();
  if (!snapshot.error.empty() && snapshot.rounds == 0) {
    err << "quorix-probe: trace: " << snapshot.error << "\n";
    // TCP probes need no rights beyond an ordinary socket's.
    if (!command.tcpPort && snapshot.destination != 0 && TtlProbesAvailable())
      err << "quorix-probe: trace: --tcp PORT works without them\n";
    return kExitFailed;
  }
  std::optional<Ipv4NetOrder> gateway;
  if (const std::string text = FindGatewayAddress(); !text.empty()) gateway = ParseDottedQuad(text);
  const RouteReading reading = ReadRoute(snapshot, gateway);
  out << (command.json ? FormatTraceJson(snapshot, reading) + "\n" : FormatTraceText(snapshot, reading)) << std::flush;
  return 0;
}

}  // namespace qnc
