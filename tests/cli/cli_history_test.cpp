// The terminal front end's history options: statistics in the output, every
// sample appended to a CSV file, the pause after a pass and parallel probes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>
#include <variant>

#include "cli/cli_options.h"
#include "cli/csv_file.h"
#include "cli/run_probe.h"
#include "platform/tcp_socket.h"
#include "probe/dns_responder.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

const Ipv4NetOrder kLoopback = *ParseDottedQuad("127.0.0.1");

std::uint16_t ClosedPort() {
  auto socket = TcpSocket::Open();
  socket->Bind(kLoopback, 0);
  return socket->LocalPort();
}

std::vector<std::string> Lines(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A file name in the temporary folder, removed before and after the test.
class TempFile {
 public:
  explicit TempFile(const std::string& name) : path_(fs::temp_directory_path() / (name + std::to_string(getpid()))) {
    fs::remove_all(path_);
  }
  ~TempFile() { fs::remove_all(path_); }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

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

TEST(CliHistory, ACsvFileThatCannotBeOpenedEndsTheRunAtOnce) {
  TempFile folder("qnc-cli-folder");
  fs::create_directory(folder.Path());
  const std::vector<std::pair<std::string, std::string>> cases = {
      {folder.Path().string(), "not a regular file"},
      {(folder.Path() / "missing" / "x.csv").string(), "No such file or directory"},
      {"/dev/null", "not a regular file"},
  };
  for (const auto& [path, why] : cases) {
    CliOptions options;
    options.game = {"127.0.0.1:" + std::to_string(ClosedPort())};
    options.dnsServer = "127.0.0.1";
    options.csvPath = path;
    options.passes = 1;
    std::ostringstream out, err;
    ProbeSessionEnvironment environment{out, err};
    EXPECT_EQ(RunProbeSession(options, environment), kExitFailed) << path;
    EXPECT_EQ(err.str(), "quorix-probe: cannot write " + path + ": " + why + "\n");
    EXPECT_EQ(out.str(), "") << "nothing measured";
  }
}

// A file that fills up mid-run (here: a file size limit in a child process)
// keeps only whole lines, and the run ends with status 1 and a message.
TEST(CliHistory, AFullFileKeepsWholeLinesAndEndsTheRun) {
  TempFile csv("qnc-cli-full.csv");
  const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{1000, 1000};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(100);
    CliOptions options;
    options.game = {closed};
    options.dnsServer = "127.0.0.1";
    options.csvPath = csv.Path().string();
    std::ostringstream out, err;
    ProbeSessionEnvironment environment{out, err};
    environment.pauseMs = 1;
    const int status = RunProbeSession(options, environment);
    const bool said = err.str().rfind("quorix-probe: cannot write " + csv.Path().string() + ": ", 0) == 0;
    _exit(said ? status : 101);
  }
  ASSERT_GT(child, 0);
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      FAIL() << "the run did not end when the file was full";
    }
    std::this_thread::sleep_for(20ms);
  }
  ASSERT_TRUE(WIFEXITED(status));
  ASSERT_NE(WEXITSTATUS(status), 100) << "no file size limit here";
  EXPECT_EQ(WEXITSTATUS(status), kExitFailed);
  std::ifstream in(csv.Path(), std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(bytes.empty());
  EXPECT_LE(bytes.size(), 1000u);
  EXPECT_EQ(bytes.back(), '\n') << "no half line at the end";
  const auto lines = Lines(csv.Path());
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_TRUE(lines[i].ends_with(",game," + closed + ",,failed,refused")) << lines[i];
  }
  EXPECT_GT(lines.size(), 5u) << "the file was filled before the run ended";
}

}  // namespace
}  // namespace qnc
