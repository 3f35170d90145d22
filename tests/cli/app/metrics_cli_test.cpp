// quorix-probe --metrics-listen in-process: the option, the listening address
// taken before anything is measured, and the rows re-read on request.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <variant>

#include "cli/app/cli_options.h"
#include "cli/app/run_probe.h"
#include "cli/metrics/http_exchange.h"
#include "core/probe/dns_responder.h"
#include "platform/tcp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

TEST(MetricsListenOption, TakesADottedAddressAndAPortAndNoPrinting) {
  for (const std::string good : {"127.0.0.1:9477", "0.0.0.0:0", "10.1.2.3:65535"}) {
    const auto parsed = ParseCliOptions({"--metrics-listen", good, "--ping", "127.0.0.1"});
    const auto* options = std::get_if<CliOptions>(&parsed);
    ASSERT_NE(options, nullptr) << good;
    EXPECT_EQ(options->metricsListen, good);
  }
  const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
      {{"--metrics-listen", "9477"}, "--metrics-listen wants ADDR:PORT"},
      {{"--metrics-listen", "localhost:9477"}, "--metrics-listen wants ADDR:PORT"},
      {{"--metrics-listen", "127.0.0.1:"}, "--metrics-listen wants ADDR:PORT"},
      {{"--metrics-listen", "127.0.0.1:65536"}, "--metrics-listen wants ADDR:PORT"},
      {{"--metrics-listen", "127.0.0.1:94x"}, "--metrics-listen wants ADDR:PORT"},
      {{"--metrics-listen", "[::1]:9477"}, "--metrics-listen wants ADDR:PORT"},
      {{"--metrics-listen"}, "needs a value"},
      {{"--metrics-listen", "127.0.0.1:9477", "--passes", "2"}, "it takes no --passes, --json, --stats or --csv"},
      {{"--json", "--metrics-listen", "127.0.0.1:9477"}, "it takes no --passes, --json, --stats or --csv"},
      {{"--stats", "--metrics-listen", "127.0.0.1:9477"}, "it takes no --passes, --json, --stats or --csv"},
      {{"--metrics-listen", "127.0.0.1:9477", "--csv", "x.csv"}, "it takes no --passes, --json, --stats or --csv"},
  };
  for (const auto& [args, message] : bad) {
    const auto parsed = ParseCliOptions(args);
    const auto* error = std::get_if<CliError>(&parsed);
    ASSERT_NE(error, nullptr) << args.back();
    EXPECT_NE(error->message.find(message), std::string::npos) << error->message;
  }
}

std::uint16_t FreePort() {
  auto probe = TcpSocket::Open();
  if (!probe || !probe->Bind(*ParseDottedQuad("127.0.0.1"), 0)) return 0;
  return probe->LocalPort();
}

// The value of the series whose line starts with `series` ("name{labels}"); -1 when absent.
double Value(const std::string& scrape, const std::string& series) {
  const auto at = scrape.find("\n" + series + " ");
  return at == std::string::npos ? -1 : std::stod(scrape.substr(at + series.size() + 2));
}

TEST(ServeMetrics, AnAddressInUseEndsTheRunBeforeAnythingIsMeasured) {
  test::DnsResponder responder(*ParseDottedQuad("127.0.0.1"));
  auto holder = TcpSocket::Open();
  ASSERT_TRUE(holder && holder->Bind(*ParseDottedQuad("127.0.0.1"), 0) && holder->Listen(1));
  const std::string address = "127.0.0.1:" + std::to_string(holder->LocalPort());
  CliOptions options;
  options.dns = {"a.test"};
  options.dnsServer = "127.0.0.1";
  options.dnsPort = responder.Port();
  options.metricsListen = address;
  std::ostringstream out, err;
  ProbeSessionEnvironment environment{out, err};
  environment.pauseMs = 10;
  const auto until = std::chrono::steady_clock::now() + 3s;  // bounds the run should it start after all
  environment.interrupted = [until] { return std::chrono::steady_clock::now() > until; };
  EXPECT_EQ(RunProbeSession(options, environment), kExitFailed);
  EXPECT_EQ(err.str(), "quorix-probe: cannot serve metrics on " + address + ": cannot bind to " + address +
                           ": 98 (Address already in use)\n");
  EXPECT_EQ(out.str(), "");
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(responder.QueriesSeen(), 0);
}

class ServedSession {
 public:
  ServedSession(const CliOptions& options, const std::string& routeTablePath) : environment_{out_, err_} {
    environment_.pauseMs = 10;
    environment_.routeTablePath = routeTablePath;
    environment_.interrupted = [this] { return stop_.load(); };
    environment_.reloadRequested = [this] { return reload_.exchange(false); };
    thread_ = std::thread([this, options] { status_ = RunProbeSession(options, environment_); });
  }
  ~ServedSession() { Stop(); }

  void Reload() { reload_.store(true); }
  // Stops the run; then the exit status and standard error can be read.
  int Stop() {
    stop_.store(true);
    if (thread_.joinable()) thread_.join();
    return status_;
  }
  std::string Err() const { return err_.str(); }

 private:
  std::ostringstream out_, err_;
  ProbeSessionEnvironment environment_;
  std::atomic<bool> stop_{false}, reload_{false};
  int status_ = -1;
  std::thread thread_;
};

// Scrapes until `done` holds for a scrape, at most 10 s; the last scrape.
template <class Done>
std::string ScrapeUntil(std::uint16_t port, Done done) {
  std::string scrape;
  for (const auto until = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < until;) {
    scrape = test::HttpGet(port, "/metrics").Body();
    if (done(scrape)) break;
    std::this_thread::sleep_for(50ms);
  }
  return scrape;
}

TEST(ServeMetrics, ServesTheRowsAndReReadsTheConfigurationOnRequest) {
  test::DnsResponder responder(*ParseDottedQuad("127.0.0.1"));
  responder.Script("fast.test", {test::ScriptedAnswer::Kind::kAddress, test::Ipv4Data(10, 9, 8, 7), 0ms});
  responder.Script("gone.test", {test::ScriptedAnswer::Kind::kNameError});
  responder.Script("new.test", {test::ScriptedAnswer::Kind::kAddress, test::Ipv4Data(10, 9, 8, 6), 0ms});
  auto listener = TcpSocket::Open();
  ASSERT_TRUE(listener && listener->Bind(*ParseDottedQuad("127.0.0.1"), 0) && listener->Listen(64));
  const std::string game = "127.0.0.1:" + std::to_string(listener->LocalPort());
  const auto dir = std::filesystem::temp_directory_path();
  const auto routes = dir / "qnc-metrics-route";
  std::ofstream(routes) << "Iface\tDestination\tGateway\nlo\t00000000\t0100007F\t0003\n";  // gateway 127.0.0.1
  const auto rows = dir / "qnc-metrics-rows.txt";
  std::ofstream(rows) << "#headv1===\r\nfast.test\r\ngone.test\r\n#PING===\r\n127.0.0.1\r\n#GAME===\r\n"
                      << game << "\r\n";
  const std::uint16_t port = FreePort();
  ASSERT_NE(port, 0);
  CliOptions options;
  options.configPath = rows.string();
  options.game = {"127.0.0.1:1"};  // a command-line row: refused, and kept over every reload
  options.dnsServer = "127.0.0.1";
  options.dnsPort = responder.Port();
  options.metricsListen = "127.0.0.1:" + std::to_string(port);
  ServedSession session(options, routes.string());

  const std::string dns = "server=\"127.0.0.1\",table=\"dns\"";
  const std::string fastOk = "quorix_probe_probes_total{result=\"ok\"," + dns + ",target=\"fast.test\"}";
  const std::string goneMissing = "quorix_probe_probes_total{result=\"nxdomain\"," + dns + ",target=\"gone.test\"}";
  const std::string gatewayProbes =
      "quorix_probe_round_trip_seconds_count{role=\"gateway\",table=\"ping\","
      "target=\"127.0.0.1\"}";
  const std::string gameOk = "quorix_probe_probes_total{result=\"ok\",table=\"game\",target=\"" + game + "\"}";
  const std::string refused = "quorix_probe_probes_total{result=\"refused\",table=\"game\",target=\"127.0.0.1:1\"}";
  std::string scrape = ScrapeUntil(port, [&](const std::string& text) {
    return Value(text, fastOk) >= 1 && Value(text, goneMissing) >= 1 && Value(text, gameOk) >= 1 &&
           Value(text, refused) >= 1;
  });
  EXPECT_GE(Value(scrape, fastOk), 1) << scrape;
  EXPECT_GE(Value(scrape, goneMissing), 1) << scrape;
  EXPECT_GE(Value(scrape, gatewayProbes), 0) << "the gateway row carries its role";
  EXPECT_GE(Value(scrape, gameOk), 1);
  EXPECT_GE(Value(scrape, refused), 1);
  const double roundTrip = Value(scrape, "quorix_probe_last_round_trip_seconds{" + dns + ",target=\"fast.test\"}");
  EXPECT_GT(roundTrip, 0);
  EXPECT_LT(roundTrip, 0.5);

  // The file changes: gone.test leaves, new.test comes; the ping and game
  // tables are in the file again, and the command-line row after them.
  std::ofstream(rows) << "#headv1===\r\nfast.test\r\nnew.test\r\n#PING===\r\n127.0.0.1\r\n#GAME===\r\n"
                      << game << "\r\n";
  session.Reload();
  scrape = ScrapeUntil(port, [&](const std::string& text) {
    return text.find("gone.test") == std::string::npos && text.find("target=\"new.test\"") != std::string::npos;
  });
  EXPECT_EQ(scrape.find("gone.test"), std::string::npos) << scrape;
  EXPECT_NE(scrape.find("target=\"new.test\""), std::string::npos);
  EXPECT_GE(Value(scrape, fastOk), 1) << "a row that stays keeps its counts";
  EXPECT_GE(Value(scrape, refused), 1) << "the command-line row stays";

  // A file that cannot be used changes nothing.
  std::ofstream(rows) << "no header here\r\n";
  session.Reload();
  std::this_thread::sleep_for(300ms);
  scrape = test::HttpGet(port, "/metrics").Body();
  EXPECT_NE(scrape.find("target=\"new.test\""), std::string::npos);
  EXPECT_EQ(session.Stop(), 0);
  EXPECT_NE(session.Err().find("quorix-probe: kept the rows: cannot use " + rows.string() +
                               ": its first line has no #head\n"),
            std::string::npos)
      << session.Err();
  std::filesystem::remove(rows);
  std::filesystem::remove(routes);
}

}  // namespace
}  // namespace qnc
