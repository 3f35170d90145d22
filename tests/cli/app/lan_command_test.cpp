#include "cli/app/lan_command.h"

#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <sstream>
#include <thread>

#include "core/lantest/lan_test_support.h"

namespace qnc {
namespace {

using testing::CountMatching;
using testing::LogLines;
using testing::WaitUntil;

// The output streams are written by the command's threads; a reader takes a
// copy under the same lock through this small synchronised buffer.
class SharedOutput : public std::stringbuf {
 public:
  std::string Copy() {
    std::lock_guard lock(mutex_);
    return str();
  }

 protected:
  int sync() override { return 0; }
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    std::lock_guard lock(mutex_);
    return std::stringbuf::xsputn(text, count);
  }
  int_type overflow(int_type c) override {
    std::lock_guard lock(mutex_);
    return std::stringbuf::overflow(c);
  }

 private:
  // Recursive: the base class's xsputn may call overflow.
  std::recursive_mutex mutex_;
};

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(LanCommandTest, ServerAndClientMeasureEachOther) {
  const std::uint16_t port = testing::FreeLoopbackPort();
  ASSERT_NE(port, 0);
  SharedOutput serverBuffer;
  std::ostream serverOut(&serverBuffer);
  std::ostringstream serverErr;
  int serverResult = -1;
  std::jthread server([&](std::stop_token stop) {
    serverResult = RunLanCommand({"lan-server", "--port", std::to_string(port)}, serverOut, serverErr, stop);
  });
  ASSERT_TRUE(WaitUntil([&] { return serverBuffer.Copy().find("TCP 服务器启动") != std::string::npos; }));

  std::ostringstream clientOut, clientErr;
  const int clientResult = RunLanCommand({"lan-client", "--address", "127.0.0.1", "--port", std::to_string(port),
                                          "--connections", "4", "--mode", "download", "--seconds", "3"},
                                         clientOut, clientErr, std::stop_token());
  EXPECT_EQ(clientResult, 0) << clientErr.str();
  const auto clientLines = Lines(clientOut.str());
  EXPECT_GE(CountMatching(clientLines, testing::kClientReport), 1) << clientOut.str();
  EXPECT_EQ(CountMatching(clientLines, std::regex("^准备连接服务器:" + std::to_string(port) + "\\.{6}$")), 4);
  EXPECT_EQ(CountMatching(clientLines, std::regex("^已连接服务器\\.{10}$")), 4);

  server.request_stop();
  server.join();
  EXPECT_EQ(serverResult, 0) << serverErr.str();
  const auto serverLines = Lines(serverBuffer.Copy());
  ASSERT_FALSE(serverLines.empty());
  EXPECT_EQ(serverLines.front(), "Server waitting...:");
  EXPECT_EQ(CountMatching(serverLines, std::regex("^连接IP 127\\.0\\.0\\.1 主机名： .+!$")), 4);
  EXPECT_GE(CountMatching(serverLines, testing::kServerReport), 1);
}

TEST(LanCommandTest, ServerThatCannotBindFails) {
  auto holder = TcpSocket::Open().value();
  ASSERT_TRUE(holder.Bind(0, 0));
  ASSERT_TRUE(holder.Listen(1));
  std::ostringstream out, err;
  EXPECT_EQ(RunLanCommand({"lan-server", "--port", std::to_string(holder.LocalPort())}, out, err, std::stop_token()),
            1);
  EXPECT_TRUE(std::regex_search(out.str(), std::regex("^bind\\(\\)fail\\d+\n"))) << out.str();
  EXPECT_EQ(err.str().rfind("quorix-probe: lan-server: cannot listen", 0), 0u) << err.str();
}

TEST(LanCommandTest, ClientWithNoServerRetriesThenFails) {
  const std::uint16_t port = testing::FreeLoopbackPort();
  std::ostringstream out, err;
  EXPECT_EQ(RunLanCommand({"lan-client", "--address", "127.0.0.1", "--port", std::to_string(port), "--seconds", "2"},
                          out, err, std::stop_token()),
            1);
  EXPECT_GE(CountMatching(Lines(out.str()), std::regex("^重试连接服务器:\\d+\\.{6}$")), 1) << out.str();
  EXPECT_EQ(err.str().rfind("quorix-probe: lan-client: no connection", 0), 0u) << err.str();
}

// A server that turns every connection away: nothing is measured, and the
// client says so in its log and on the error stream, and fails.
TEST(LanCommandTest, ClientTurnedAwayFails) {
  testing::LanSide server(/*maxConnections=*/0);
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  std::ostringstream out, err;
  EXPECT_EQ(RunLanCommand({"lan-client", "--address", "127.0.0.1", "--port", std::to_string(port), "--seconds", "5"},
                          out, err, std::stop_token()),
            1);
  EXPECT_NE(out.str().find("服务器拒绝连接"), std::string::npos) << out.str();
  EXPECT_NE(err.str().find("before sending anything"), std::string::npos) << err.str();
  EXPECT_NE(err.str().find("nothing was measured"), std::string::npos) << err.str();
}

// The server goes away about a second into a ten-second run: the client
// fails and says how long it measured.
TEST(LanCommandTest, ClientWhoseServerGoesAwayFailsWithTheSecondsMeasured) {
  auto server = std::make_unique<testing::LanSide>();
  const std::uint16_t port = server->Listen();
  ASSERT_NE(port, 0);
  std::ostringstream out, err;
  int result = -1;
  std::jthread client([&] {
    result = RunLanCommand({"lan-client", "--address", "127.0.0.1", "--port", std::to_string(port), "--seconds", "10"},
                           out, err, std::stop_token());
  });
  ASSERT_TRUE(WaitUntil([&] { return server->state.serverMeter.Read().receivedTotal > 0; }));
  std::this_thread::sleep_for(std::chrono::seconds(1));
  server.reset();  // closes the listener and every connection
  client.join();
  EXPECT_EQ(result, 1);
  std::smatch match;
  const std::string text = err.str();
  ASSERT_TRUE(std::regex_search(text, match, std::regex(R"(ended before the 10 s run.*; (\d+\.\d) s were measured)")))
      << text;
  // Some of the run was measured, not all of it; how much depends on the
  // machine's load, so the figure is not held to the second.
  EXPECT_GT(std::stod(match[1]), 0.0);
  EXPECT_LT(std::stod(match[1]), 10.0);
}

TEST(LanCommandTest, StopEndsTheClientEarly) {
  const std::uint16_t port = testing::FreeLoopbackPort();
  std::ostringstream out, err;
  std::stop_source stop;
  std::jthread stopper([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    stop.request_stop();
  });
  const auto started = std::chrono::steady_clock::now();
  RunLanCommand({"lan-client", "--address", "127.0.0.1", "--port", std::to_string(port), "--seconds", "60"}, out, err,
                stop.get_token());
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(30)) << "stopped long before 60 s";
}

// A client that watches rows under load reports their idle and loaded round
// trips, here as its JSON object. Loopback adds no queue, so what matters is
// that both stretches were measured and the figures are there; the lab test
// shows the added latency of a real queue. A "gateway" that the route table
// does not name is left out with a line that says so.
TEST(LanCommandTest, ClientReportsTheLatencyItsLoadAdds) {
  const std::uint16_t port = testing::FreeLoopbackPort();
  ASSERT_NE(port, 0);
  SharedOutput serverBuffer;
  std::ostream serverOut(&serverBuffer);
  std::ostringstream serverErr;
  std::jthread server([&](std::stop_token stop) {
    RunLanCommand({"lan-server", "--port", std::to_string(port)}, serverOut, serverErr, stop);
  });
  ASSERT_TRUE(WaitUntil([&] { return serverBuffer.Copy().find("TCP 服务器启动") != std::string::npos; }));

  // The watched game server is a listener of its own: connects to the LAN
  // server would count against its limit of connections from one address.
  auto game = TcpSocket::Open();
  ASSERT_TRUE(game && game->Bind(testing::Loopback(), 0) && game->Listen(64));
  const std::string gameTarget = "127.0.0.1:" + std::to_string(game->LocalPort());
  std::jthread acceptor([&game](std::stop_token stop) {
    while (!stop.stop_requested()) game->Accept(50, stop);
  });

  ProbeSessionOptions fast;
  for (const TableKind kind : kAllTables) fast.Worker(kind).pauseMs = 100;
  fast.routeTablePath = "/nonexistent/route";
  std::ostringstream clientOut, clientErr;
  const int clientResult =
      RunLanCommand({"lan-client", "--address", "127.0.0.1", "--port", std::to_string(port), "--seconds", "2",
                     "--idle-seconds", "1", "--latency-ping", "gateway", "--latency-game", gameTarget, "--json"},
                    clientOut, clientErr, std::stop_token(), fast);
  server.request_stop();
  EXPECT_EQ(clientResult, 0) << clientErr.str();
  EXPECT_NE(clientErr.str().find("no gateway"), std::string::npos) << clientErr.str();
  const auto lines = Lines(clientOut.str());
  ASSERT_EQ(lines.size(), 1u) << clientOut.str();  // no per-second lines with --json
  const std::string& json = lines.front();
  EXPECT_NE(json.find("\"mode\":\"both\""), std::string::npos) << json;
  EXPECT_NE(json.find("\"table\":\"game\",\"target\":\"" + gameTarget + "\""), std::string::npos) << json;
  EXPECT_EQ(json.find("\"table\":\"ping\""), std::string::npos) << json;
  EXPECT_TRUE(std::regex_search(json, std::regex("\"idle_samples\":[1-9][0-9]*,\"idle_median_ms\":[0-9.]+"))) << json;
  EXPECT_TRUE(std::regex_search(json, std::regex("\"loaded_samples\":[1-9][0-9]*,\"loaded_lost\":0,"))) << json;
  EXPECT_TRUE(std::regex_search(json, std::regex("\"added_ms\":[0-9.]+,\"grade\":\""))) << json;
  EXPECT_TRUE(std::regex_search(json, std::regex("\"received_bytes\":[1-9]"))) << json;
}

}  // namespace
}  // namespace qnc
