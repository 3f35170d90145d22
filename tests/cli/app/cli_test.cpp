#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <variant>

#include "cli/app/cli_options.h"
#include "cli/app/run_probe.h"
#include "cli/app/table_text.h"
#include "core/probe/dns_responder.h"
#include "platform/hanging_lookup.h"
#include "platform/tcp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

TEST(CliOptions, ParsesRowsAndSettings) {
  const auto parsed = ParseCliOptions({"--dns", "a.example", "--dns", "b.example", "--ping", "127.0.0.1", "--game",
                                       "127.0.0.1:80", "--dns-server", "127.0.0.1", "--dns-port", "5353", "--passes",
                                       "3", "--json", "--config", "list.txt"});
  const auto* options = std::get_if<CliOptions>(&parsed);
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(options->dns, (std::vector<std::string>{"a.example", "b.example"}));
  EXPECT_EQ(options->ping, (std::vector<std::string>{"127.0.0.1"}));
  EXPECT_EQ(options->game, (std::vector<std::string>{"127.0.0.1:80"}));
  EXPECT_EQ(options->dnsServer, "127.0.0.1");
  EXPECT_EQ(options->dnsPort, 5353);
  EXPECT_EQ(options->passes, 3u);
  EXPECT_TRUE(options->json);
  EXPECT_EQ(options->configPath, "list.txt");
}

TEST(CliOptions, BadOptionsSayWhatIsWrong) {
  const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
      {{"--passes", "0"}, "--passes wants"},
      {{"--passes", "two"}, "--passes wants"},
      {{"--dns-port", "70000"}, "--dns-port wants"},
      {{"--dns"}, "needs a value"},
      {{"--dns-server", "abc"}, "--dns-server wants a dotted IPv4 address"},
      {{"--dns-server", "10.0.0"}, "--dns-server wants"},
      {{"--dns-server", "10.0.0.256"}, "--dns-server wants"},
      {{"--dns-server", ""}, "--dns-server wants"},
      {{"--frobnicate"}, "unknown option '--frobnicate'"},
  };
  for (const auto& [args, message] : cases) {
    const auto parsed = ParseCliOptions(args);
    const auto* error = std::get_if<CliError>(&parsed);
    ASSERT_NE(error, nullptr) << args[0];
    EXPECT_NE(error->message.find(message), std::string::npos) << error->message;
  }
}

// --help names only what this build of the program does: the metrics server
// where the exporter was built in, and this system's way to allow pings.
TEST(CliOptions, HelpDescribesThisBuild) {
#if defined(_WIN32)
  constexpr bool kWindows = true;
#else
  constexpr bool kWindows = false;
#endif
  constexpr bool kMetrics = QNC_WITH_METRICS != 0;
  const struct {
    const char* text;
    bool shown;
  } cases[] = {
      {"--metrics-listen", kMetrics},  {"SIGHUP", kMetrics && !kWindows}, {"CAP_NET_RAW", !kWindows},
      {"ping_group_range", !kWindows}, {"administrator", kWindows},
  };
  const std::string usage = CliUsage();
  for (const auto& c : cases) EXPECT_EQ(usage.find(c.text) != std::string::npos, c.shown) << c.text;
}

TEST(TableText, AlignsWideCharactersAndEscapesJson) {
  EXPECT_EQ(DisplayWidth("超时"), 4u);
  EXPECT_EQ(DisplayWidth("a超"), 3u);
  EXPECT_EQ(DisplayWidth("\xff"), 1u);
  const TableSnapshot snapshot{
      TableKind::kPing,
      7,
      "",
      {{"127.0.0.1", "1", "0", " 0.00%   [0(1)]", "非常好"}, {"h", "超时", "0", " 100.00%   [1(1)]", "差"}},
      {}};
  EXPECT_EQ(FormatTableText(snapshot),
            "== ping table, pass 7\n"
            "域名或者ip  延时  平均延迟  丢包率             质量\n"
            "127.0.0.1   1     0          0.00%   [0(1)]    非常好\n"
            "h           超时  0          100.00%   [1(1)]  差\n");
  const TableSnapshot dns{TableKind::kDns, 1, "127.0.0.1", {{"a\"b", "", "", "", "", ""}}, {}};
  EXPECT_EQ(FormatTableJson(dns),
            "{\"table\":\"dns\",\"pass\":1,\"server\":\"127.0.0.1\",\"rows\":[{\"target\":\"a\\\"b\",\"latency\":\"\","
            "\"average\":\"\",\"loss\":\"\",\"address\":\"\",\"quality\":\"\"}]}");
}

TEST(SafeText, TerminalTextHasNoControlsAndJsonIsValidUtf8) {
  struct Case {
    std::string cell, terminal, json;
  };
  const std::vector<Case> cases = {
      {"plain 超时", "plain 超时", "\"plain 超时\""},
      {"a\x1b[2Jb", "a\\x1b[2Jb", "\"a\\u001b[2Jb\""},  // ESC would clear the screen
      {"tab\tcr\rdel\x7f", "tab\\x09cr\\x0ddel\\x7f", "\"tab\\tcr\\rdel\\u007f\""},
      {"c1\xc2\x9b", "c1\\u009b", "\"c1\\u009b\""},                         // U+009B, a one-character CSI
      {"bad\xff\xfe", "bad\\xff\\xfe", "\"bad\xEF\xBF\xBD\xEF\xBF\xBD\""},  // not UTF-8 at all
      {"cut\xe8\xb6", "cut\\xe8\\xb6", "\"cut\xEF\xBF\xBD\xEF\xBF\xBD\""},  // a sequence cut short
      {"overlong\xc0\xaf", "overlong\\xc0\\xaf", "\"overlong\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"q\"\\", "q\"\\", "\"q\\\"\\\\\""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EscapeForTerminal(c.cell), c.terminal) << c.cell;
    std::string json;
    AppendJsonString(json, c.cell);
    EXPECT_EQ(json, c.json) << c.cell;
  }
}

TEST(SafeText, LongCellsAreCutToSixtyColumns) {
  EXPECT_EQ(FitColumns("abcdef", 6), "abcdef");
  EXPECT_EQ(FitColumns("abcdefg", 6), "abcde…");
  EXPECT_EQ(FitColumns("超时超时", 6), "超时…");  // a wide character never straddles the cut
  EXPECT_EQ(FitColumns("超时超时", 5), "超时…");

  const std::string longTarget(500, 'x');
  const TableSnapshot snapshot{TableKind::kPing, 1, "", {{longTarget, "1", "1", " 0.00%   [0(1)]", "非常好"}}, {}};
  const std::string text = FormatTableText(snapshot);
  const std::string row = text.substr(text.rfind('\n', text.size() - 2) + 1);
  EXPECT_EQ(row, std::string(59, 'x') + "…  1     1          0.00%   [0(1)]  非常好\n");
  EXPECT_EQ(text.find(std::string(60, 'x')), std::string::npos);
}

TEST(ProbeSession, MeasuresTheGivenRowsOnLoopback) {
  test::DnsResponder responder(*ParseDottedQuad("127.0.0.1"));
  responder.Script("fast.test", {test::ScriptedAnswer::Kind::kAddress, test::Ipv4Data(10, 9, 8, 7), 0ms});
  auto listener = TcpSocket::Open();
  ASSERT_TRUE(listener && listener->Bind(*ParseDottedQuad("127.0.0.1"), 0) && listener->Listen(8));

  const auto parsed = ParseCliOptions(
      {"--dns", "fast.test", "--dns-server", "127.0.0.1", "--dns-port", std::to_string(responder.Port()), "--game",
       "127.0.0.1:" + std::to_string(listener->LocalPort()), "--passes", "2", "--json"});
  std::ostringstream out, err;
  ProbeSessionEnvironment environment{out, err};
  environment.pauseMs = 10;
  ASSERT_EQ(RunProbeSession(std::get<CliOptions>(parsed), environment), 0);
  const std::string text = out.str();
  EXPECT_NE(text.find("{\"table\":\"dns\",\"pass\":2,\"server\":\"127.0.0.1\",\"rows\":[{\"target\":\"fast.test\""),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("\"address\":\"10.9.8.7\""), std::string::npos) << text;
  EXPECT_NE(text.find("{\"table\":\"ping\",\"pass\":2,\"rows\":[]}"), std::string::npos) << text;
  EXPECT_NE(text.find("\"loss\":\" 0.00%   [0(2)]\""), std::string::npos) << text;
  EXPECT_EQ(text.find("\"pass\":3"), std::string::npos) << "nothing past the last pass";
}

// A device that a plain read would never finish (or, on Windows, a device at all).
#if defined(_WIN32)
constexpr const char* kDevice = "NUL";
#else
constexpr const char* kDevice = "/dev/zero";
#endif

TEST(ProbeSession, RefusesAnUnusableConfigurationFile) {
  const auto path = std::filesystem::temp_directory_path() / "qnc-cli-noheader.txt";
  std::ofstream(path) << "no header here\r\n";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {path.string(), "its first line has no #head"},
      {kDevice, "it is not a regular file"},  // would otherwise be read without end
  };
  for (const auto& [file, why] : cases) {
    CliOptions options;
    options.configPath = file;
    options.passes = 1;
    std::ostringstream out, err;
    ProbeSessionEnvironment environment{out, err};
    EXPECT_EQ(RunProbeSession(options, environment), 2) << file;
    EXPECT_EQ(err.str(), "quorix-probe: cannot use " + file + ": " + why + "\n");
    EXPECT_EQ(out.str(), "") << file;
  }
  std::filesystem::remove(path);
}

// Ctrl-C ends the run while the game worker sits in a name lookup that hangs
// and the ping worker waits for the resolver lock.
TEST(ProbeSession, InterruptEndsTheRunWhileALookupHangs) {
  test::HangingLookup lookup;
  CliOptions options;
  options.ping = {"silent.test"};
  options.game = {"silent.test:80"};
  options.dnsServer = "127.0.0.1";
  std::ostringstream out, err;
  ProbeSessionEnvironment environment{out, err};
  environment.pauseMs = 10;
  environment.lookup = lookup.Function();
  environment.interrupted = [&lookup] { return lookup.WaitEntered(0ms); };
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunProbeSession(options, environment), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << "the lookup hangs for 30 s";
}

TEST(ProbeSession, TablesFromDefaultsConfigurationAndOptions) {
  const auto dir = std::filesystem::temp_directory_path();
  const auto config = dir / "qnc-cli-config.txt";
  std::ofstream(config, std::ios::binary)
      << "#headv1===\r\nb.test\r\na.test\r\n#PING===\r\n";  // ends in the ping section
  const auto routes = dir / "qnc-cli-route";
  std::ofstream(routes, std::ios::binary) << "Iface\tDestination\tGateway\n"
                                          << "eth0\t00000000\t0102A8C0\t0003\n";
  const auto firstCells = [](const TableStore& table) {
    std::vector<std::string> cells;
    for (const auto& row : table.Snapshot()) cells.push_back(row[0]);
    return cells;
  };
  std::ostringstream err;
  ProbeSessionOptions sessionOptions;
  sessionOptions.routeTablePath = routes.string();

  ProbeSession defaults(sessionOptions);
  ASSERT_TRUE(FillTables(CliOptions{}, defaults, err));
  EXPECT_EQ(defaults.Table(TableKind::kDns).RowCount(), 3);
  EXPECT_EQ(defaults.Table(TableKind::kDns).CellAt(0, cell::kLatency), "40");
  EXPECT_EQ(defaults.Table(TableKind::kPing).CellAt(3, cell::kTarget), "192.168.2.1");
  EXPECT_EQ(defaults.Table(TableKind::kGame).CellAt(2, cell::kGameDescription), "百度网的实际延迟");

  CliOptions fromFile;
  fromFile.configPath = config.string();
  ProbeSession loaded(sessionOptions);
  ASSERT_TRUE(FillTables(fromFile, loaded, err));
  EXPECT_EQ(firstCells(loaded.Table(TableKind::kDns)), (std::vector<std::string>{"a.test", "b.test"}));
  EXPECT_EQ(loaded.Table(TableKind::kPing).RowCount(), 0);
  EXPECT_EQ(loaded.Table(TableKind::kGame).RowCount(), 3) << "the file ended before the game section";

  CliOptions both = fromFile;
  both.dns = {"c.test"};
  ProbeSession combined(sessionOptions);
  ASSERT_TRUE(FillTables(both, combined, err));
  EXPECT_EQ(firstCells(combined.Table(TableKind::kDns)), (std::vector<std::string>{"a.test", "b.test", "c.test"}));
  EXPECT_EQ(combined.Table(TableKind::kGame).RowCount(), 0);
  EXPECT_EQ(err.str(), "");
  std::filesystem::remove(config);
  std::filesystem::remove(routes);
}

}  // namespace
}  // namespace qnc
