// The terminal front end's history options: statistics in the output, every
// sample appended to a CSV file, the pause after a pass and parallel probes.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <variant>

#include "cli/app/cli_options.h"
#include "cli/app/csv_file.h"
#include "cli/app/run_probe.h"
#include "cli_test_files.h"
#include "core/probe/dns_responder.h"
#include "platform/tcp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

TEST(CliHistoryOptions, ParseAndRefuse) {
  const auto parsed = ParseCliOptions({"--stats", "--csv", "out.csv", "--interval", "250", "--parallel", "16"});
  const auto* options = std::get_if<CliOptions>(&parsed);
  ASSERT_NE(options, nullptr);
  EXPECT_TRUE(options->stats);
  EXPECT_EQ(options->csvPath, "out.csv");
  EXPECT_EQ(options->intervalMs, 250u);
  EXPECT_EQ(options->parallel, 16);
  const auto defaults = std::get<CliOptions>(ParseCliOptions({}));
  EXPECT_FALSE(defaults.stats || defaults.csvPath || defaults.intervalMs);
  EXPECT_EQ(defaults.parallel, 1);
  EXPECT_EQ(std::get<CliOptions>(ParseCliOptions({"--interval", "100", "--parallel", "64"})).parallel, 64);

  const std::vector<std::pair<std::vector<std::string>, std::string>> bad = {
      {{"--interval", "99"}, "--interval wants a pause in milliseconds from 100"},
      {{"--interval", "0"}, "--interval wants"},
      {{"--interval", "-500"}, "--interval wants"},
      {{"--interval", "1s"}, "--interval wants"},
      {{"--interval", "99999999999"}, "--interval wants"},
      {{"--parallel", "0"}, "--parallel wants a number of rows from 1 to 64"},
      {{"--parallel", "-2"}, "--parallel wants"},
      {{"--parallel", "65"}, "--parallel wants"},
      {{"--parallel", "100000000000"}, "--parallel wants"},
      {{"--parallel", "four"}, "--parallel wants"},
      {{"--csv", ""}, "--csv wants a file name"},
      {{"--csv"}, "needs a value"},
  };
  for (const auto& [args, message] : bad) {
    const auto refused = ParseCliOptions(args);
    const auto* error = std::get_if<CliError>(&refused);
    ASSERT_NE(error, nullptr) << args.back();
    EXPECT_NE(error->message.find(message), std::string::npos) << error->message;
  }
}

TEST(CliHistory, CsvGetsEveryProbeAndStatisticsJoinTheJson) {
  auto listener = TcpSocket::Open();
  ASSERT_TRUE(listener && listener->Bind(kLoopback, 0) && listener->Listen(16));
  const std::string open = "127.0.0.1:" + std::to_string(listener->LocalPort());
  const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());
  TempFile csv("qnc-cli-samples.csv");

  const auto run = [&](bool json) {
    auto options =
        std::get<CliOptions>(ParseCliOptions({"--game", open, "--game", closed, "--dns-server", "127.0.0.1", "--passes",
                                              "2", "--stats", "--csv", csv.Path().string(), "--interval", "100"}));
    options.json = json;
    std::ostringstream out, err;
    ProbeSessionEnvironment environment{out, err};
    EXPECT_EQ(RunProbeSession(options, environment), 0) << err.str();
    return out.str();
  };
  const std::string json = run(true);
  EXPECT_NE(json.find("\"target\":\"" + closed + "\",\"latency\":\"超时\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"reason\":\"refused\",\"stats\":{\"count\":2,\"answered\":0,\"loss_pct\":100.000,"
                      "\"last_ms\":null,"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"reason\":\"ok\",\"stats\":{\"count\":2,\"answered\":2,\"loss_pct\":0.000,\"last_ms\":"),
            std::string::npos)
      << json;
  EXPECT_NE(json.find("\"common_failure\":\"refused\"}"), std::string::npos) << json;

  const std::string text = run(false);
  EXPECT_NE(text.find("  stats\n"), std::string::npos) << text;
  EXPECT_TRUE(std::regex_search(text, std::regex(" p50 [0-9]+\\.[0-9]{2} p95 [0-9]+\\.[0-9]{2} jit [0-9.]+ ok\n")))
      << text;
  EXPECT_TRUE(std::regex_search(text, std::regex("差 +refused\n"))) << text;

  // Two runs of two passes over two rows: one header, eight samples.
  const auto lines = Lines(csv.Path());
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[0], "time,table,target,round_trip_ms,outcome,reason");
  const std::regex answered("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d,game," + open +
                            ",\\d+\\.\\d{3},answered,ok");
  const std::regex refused("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}[+-]\\d\\d:\\d\\d,game," + closed +
                           ",,failed,refused");
  int answers = 0;
  int refusals = 0;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    answers += std::regex_match(lines[i], answered) ? 1 : 0;
    refusals += std::regex_match(lines[i], refused) ? 1 : 0;
  }
  EXPECT_EQ(answers, 4);
  EXPECT_EQ(refusals, 4);
}

}  // namespace
}  // namespace qnc
