#include "cli/app/cli_options.h"

#include "platform/ipv4.h"

namespace qnc {

namespace {

// The DNS server box takes any text, but here a text that is no dotted IPv4
// address would only leave every DNS row waiting out its time-out.
std::optional<CliError> CheckDnsServer(const std::string& text) {
  if (ParseDottedQuad(text)) return std::nullopt;
  return CliError{"--dns-server wants a dotted IPv4 address such as 192.0.2.53, not '" + text + "'"};
}

// The metrics server listens on a dotted IPv4 address and a port (0: any free
// one), the form its web server takes.
std::optional<CliError> CheckMetricsListen(const std::string& text) {
#if !QNC_WITH_METRICS
  (void)text;
  return CliError{
      "--metrics-listen: this quorix-probe was built without Prometheus support (prometheus-cpp was "
      "not found when it was built)"};
#else
  const auto colon = text.rfind(':');
  if (colon != std::string::npos && ParseDottedQuad(std::string_view(text).substr(0, colon)) &&
      ParseNumber<std::uint16_t>(std::string_view(text).substr(colon + 1), 0, 65535)) {
    return std::nullopt;
  }
  return CliError{
      "--metrics-listen wants ADDR:PORT with a dotted IPv4 address, such as 127.0.0.1:9464 or "
      "0.0.0.0:9464, not '" +
      text + "'"};
#endif
}

// What differs between builds: the metrics server is there only when the
// exporter library was, and each system has its own way to allow pings.
#if QNC_WITH_METRICS
constexpr const char* kMetricsUsage =
    "  --metrics-listen ADDR:PORT\n"
    "                       measure until stopped and serve Prometheus metrics at\n"
    "                       http://ADDR:PORT/metrics instead of printing tables; SIGHUP re-reads --config\n";
constexpr const char* kMetricsExit = "\nor --metrics-listen cannot listen";
#else
constexpr const char* kMetricsUsage = "";
constexpr const char* kMetricsExit = "";
#endif

#if defined(_WIN32)
constexpr const char* kPingPermissionUsage =
    "Pings need a raw ICMP socket, which Windows gives only to programs run as administrator (open the\n"
    "console with \"Run as administrator\"); without it the ping rows show \"超时\" and stderr says why once.\n";
#else
constexpr const char* kPingPermissionUsage =
    "Pings need a raw ICMP socket (root or CAP_NET_RAW) or ICMP datagram sockets allowed by\n"
    "net.ipv4.ping_group_range; without either the ping rows show \"超时\" and one line on stderr says why.\n";
#endif

}  // namespace

std::string CliUsage() {
  return std::string(
             "Usage: quorix-probe [options]\n"
             "       quorix-probe lan-server|lan-client [options]   (LAN throughput test; --help for its options)\n"
             "       quorix-probe trace HOST [options]              (the route hop by hop; see below)\n"
             "\n"
             "Measures three tables for ever, side by side, and prints each table after every pass:\n"
             "  DNS table   the time a DNS server takes to resolve each domain (UDP, A record)\n"
             "  ping table  the ICMP echo round trip to each host\n"
             "  game table  the time to open a TCP connection to each host:port (port 80 when none is given)\n"
             "Each row shows the latest latency in ms or \"超时\", the average, the loss and a quality word.\n"
             "\n"
             "Rows:\n"
             "  --dns DOMAIN         add DOMAIN to the DNS table (repeatable)\n"
             "  --ping HOST          add HOST to the ping table (repeatable)\n"
             "  --game HOST[:PORT]   add HOST:PORT to the game table (repeatable)\n"
             "  --config FILE        load the three host lists from a configuration file\n"
             "                       (#headv1=== / #PING=== / #GAME=== sections, as the window exports them)\n"
             "  Without --dns, --ping or --game the tables start with the window's default rows (the ping\n"
             "  table's fourth row is this machine's gateway); --config then replaces the tables it covers.\n"
             "  With any of them the tables hold exactly the rows given (after the --config rows, if any).\n"
             "\n"
             "DNS server:\n"
             "  --dns-server ADDR    query the DNS server at this IPv4 address (default: the system's first)\n"
             "  --dns-port N         its UDP port (default 53)\n"
             "\n"
             "Output and duration:\n"
             "  --passes N           end after N passes of every table (default: run until Ctrl-C)\n"
             "  --interval MS        pause MS milliseconds after each pass (default 1000, at least 100)\n"
             "  --parallel N         probe the rows of a table together, sending N probes every 10 ms, each\n"
             "                       waiting for its own answer (1 to 64; default 1: one after the other,\n"
             "                       in table order, as the window does)\n"
             "  --json               print one JSON object per table and pass instead of text tables\n"
             "  --stats              add each row's statistics over its last 3600 probes and the reason of\n"
             "                       its last failure (median, p95, jitter in text; every figure in JSON)\n"
             "  --csv FILE           append every probe to FILE as a CSV line: time, table, target,\n"
             "                       round_trip_ms, outcome, reason (a header line when FILE is new)\n") +
         kMetricsUsage +
         "  --help               show this text\n"
         "\n" +
         kPingPermissionUsage +
         "Exit status: 0 after --passes or Ctrl-C, 2 for bad options, 1 when the CSV file cannot be written" +
         kMetricsExit + ".\n";
}

std::variant<CliOptions, CliError> ParseCliOptions(const std::vector<std::string>& args) {
  CliOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const auto value = [&]() -> std::optional<std::string> {
      if (i + 1 >= args.size()) return std::nullopt;
      return args[++i];
    };
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--json") {
      options.json = true;
    } else if (arg == "--stats") {
      options.stats = true;
    } else if (arg == "--dns" || arg == "--ping" || arg == "--game" || arg == "--dns-server" || arg == "--dns-port" ||
               arg == "--config" || arg == "--passes" || arg == "--interval" || arg == "--parallel" || arg == "--csv" ||
               arg == "--metrics-listen") {
      const auto text = value();
      if (!text) return CliError{"option " + arg + " needs a value"};
      if (arg == "--dns") {
        options.dns.push_back(*text);
      } else if (arg == "--ping") {
        options.ping.push_back(*text);
      } else if (arg == "--game") {
        options.game.push_back(*text);
      } else if (arg == "--dns-server") {
        if (auto error = CheckDnsServer(*text)) return *error;
        options.dnsServer = *text;
      } else if (arg == "--config") {
        options.configPath = *text;
      } else if (arg == "--metrics-listen") {
        if (auto error = CheckMetricsListen(*text)) return *error;
        options.metricsListen = *text;
      } else if (arg == "--csv") {
        if (text->empty()) return CliError{"--csv wants a file name"};
        options.csvPath = *text;
      } else if (arg == "--interval") {
        const auto interval = ParseNumber<std::uint32_t>(*text, kMinIntervalMs, kMaxIntervalMs);
        if (!interval) {
          return CliError{"--interval wants a pause in milliseconds from " + std::to_string(kMinIntervalMs) + " to " +
                          std::to_string(kMaxIntervalMs) + ", not '" + *text + "'"};
        }
        options.intervalMs = *interval;
      } else if (arg == "--parallel") {
        const auto parallel = ParseNumber<int>(*text, 1, kMaxParallel);
        if (!parallel) {
          return CliError{"--parallel wants a number of rows from 1 to " + std::to_string(kMaxParallel) + ", not '" +
                          *text + "'"};
        }
        options.parallel = *parallel;
      } else if (arg == "--dns-port") {
        const auto port = ParseNumber<std::uint16_t>(*text, 1, 65535);
        if (!port) return CliError{"--dns-port wants a port from 1 to 65535, not '" + *text + "'"};
        options.dnsPort = *port;
      } else {
        const auto passes = ParseNumber<std::uint64_t>(*text, 1, UINT64_MAX);
        if (!passes) return CliError{"--passes wants a whole number of at least 1, not '" + *text + "'"};
        options.passes = *passes;
      }
    } else {
      return CliError{"unknown option '" + arg + "' (see --help)"};
    }
  }
  if (options.metricsListen && (options.passes || options.json || options.stats || options.csvPath)) {
    return CliError{"--metrics-listen serves the tables until stopped; it takes no --passes, --json, --stats or --csv"};
  }
  return options;
}

}  // namespace qnc
