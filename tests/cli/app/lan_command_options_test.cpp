#include "cli/app/lan_command_options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stop_token>

#include "cli/app/lan_command.h"

namespace qnc {
namespace {

using Args = std::vector<std::string>;

TEST(LanCommandOptionsTest, ServerAndClientDefaultsAndValues) {
  auto server = ParseLanCommand({"lan-server"});
  ASSERT_TRUE(std::holds_alternative<LanServerCommand>(server));
  EXPECT_EQ(std::get<LanServerCommand>(server).port, 10110);
  EXPECT_EQ(std::get<LanServerCommand>(ParseLanCommand({"lan-server", "--port", "5201"})).port, 5201);

  auto client = ParseLanCommand({"lan-client", "--address", "192.168.1.20"});
  ASSERT_TRUE(std::holds_alternative<LanClientCommand>(client));
  const auto& defaults = std::get<LanClientCommand>(client);
  EXPECT_EQ(defaults.address, "192.168.1.20");
  EXPECT_EQ(defaults.port, 10110);
  EXPECT_EQ(defaults.connections, 1);
  EXPECT_EQ(defaults.mode, TransferMode::kBoth);
  EXPECT_EQ(defaults.seconds, 10);

  auto full = std::get<LanClientCommand>(ParseLanCommand({"lan-client", "--mode", "upload", "--connections", "8",
                                                          "--address", "10.0.0.2", "--port", "9", "--seconds", "3"}));
  EXPECT_EQ(full.mode, TransferMode::kUploadOnly);
  EXPECT_EQ(full.connections, 8);
  EXPECT_EQ(full.port, 9);
  EXPECT_EQ(full.seconds, 3);
  EXPECT_EQ(
      std::get<LanClientCommand>(ParseLanCommand({"lan-client", "--address", "1.2.3.4", "--mode", "download"})).mode,
      TransferMode::kDownloadOnly);
  EXPECT_TRUE(std::holds_alternative<LanUsageRequest>(ParseLanCommand({"lan-client", "--help"})));

  auto loaded = std::get<LanClientCommand>(
      ParseLanCommand({"lan-client", "--address", "10.0.0.2", "--latency-ping", "gateway", "--latency-game",
                       "game.example:443", "--latency-ping", "10.0.0.1", "--idle-seconds", "5", "--json"}));
  EXPECT_EQ(loaded.latencyPings, (std::vector<std::string>{"gateway", "10.0.0.1"}));
  EXPECT_EQ(loaded.latencyGames, (std::vector<std::string>{"game.example:443"}));
  EXPECT_EQ(loaded.idleSeconds, 5);
  EXPECT_TRUE(loaded.json);
  EXPECT_TRUE(defaults.latencyPings.empty());
  EXPECT_EQ(defaults.idleSeconds, 3);
  EXPECT_FALSE(defaults.json);
}

TEST(LanCommandOptionsTest, BadOptionsAreRefusedWithAReason) {
  const struct {
    Args args;
    const char* mentions;
  } cases[] = {
      {{}, "subcommand"},
      {{"lan-speed"}, "lan-speed"},
      {{"lan-server", "--port"}, "needs a value"},
      {{"lan-server", "--port", "0"}, "--port"},
      {{"lan-server", "--port", "65536"}, "--port"},
      {{"lan-client", "--address", "1.2.3.4", "--port", "99999"}, "from 1 to 65535"},
      {{"lan-client", "--address", "1.2.3.4", "--port", "-1"}, "from 1 to 65535"},
      {{"lan-server", "--port", "80x"}, "--port"},
      {{"lan-server", "--address", "1.2.3.4"}, "--address"},
      {{"lan-client"}, "--address is required"},
      {{"lan-client", "--address", "example.com"}, "dotted"},
      {{"lan-client", "--address", "1.2.3.4", "--connections", "2"}, "1, 4 or 8"},
      {{"lan-client", "--address", "1.2.3.4", "--mode", "sideways"}, "--mode"},
      {{"lan-client", "--address", "1.2.3.4", "--seconds", "0"}, "--seconds"},
      {{"lan-client", "--address", "1.2.3.4", "--idle-seconds", "61"}, "from 1 to 60"},
      {{"lan-client", "--address", "1.2.3.4", "--latency-ping", ""}, "needs a host"},
      {{"lan-server", "--json"}, "--json"},
      {{"lan-server", "--latency-ping", "1.2.3.4"}, "--latency-ping"},
      {{"lan-client", "--address", "1.2.3.4", "--verbose"}, "lan-client: unknown option '--verbose' (see --help)"},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseLanCommand(c.args);
    ASSERT_TRUE(std::holds_alternative<CliError>(parsed)) << ::testing::PrintToString(c.args);
    EXPECT_NE(std::get<CliError>(parsed).message.find(c.mentions), std::string::npos)
        << std::get<CliError>(parsed).message;

    // Worded as the table mode words bad options: one line naming the program, no usage text.
    std::ostringstream out, err;
    EXPECT_EQ(RunLanCommand(c.args, out, err, std::stop_token()), 2);
    EXPECT_EQ(err.str(), "quorix-probe: " + std::get<CliError>(parsed).message + "\n");
    EXPECT_EQ(out.str(), "");
  }
}

TEST(LanCommandOptionsTest, HelpPrintsUsageAndSucceeds) {
  std::ostringstream out, err;
  EXPECT_EQ(RunLanCommand({"lan-server", "--help"}, out, err, std::stop_token()), 0);
  EXPECT_NE(out.str().find("lan-client --address A"), std::string::npos);
  EXPECT_TRUE(IsLanCommand("lan-server"));
  EXPECT_TRUE(IsLanCommand("lan-client"));
  EXPECT_FALSE(IsLanCommand("lan"));
}

}  // namespace
}  // namespace qnc
