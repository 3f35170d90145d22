#include <gtest/gtest.h>

#include <chrono>
#include <regex>

#include "lan_test_support.h"

namespace qnc {
namespace {

using testing::CountMatching;
using testing::LanSide;
using testing::Loopback;
using testing::WaitUntil;

// Nothing listens: the client logs its connecting line, then a retry line
// about once a second, until the stop command ends it. A port number beyond
// 16 bits is used by its low 16 bits, and the lines name that port.
TEST(LanClientTest, RetriesAboutOnceASecondUntilStopped) {
  const std::uint16_t port = testing::FreeLoopbackPort();
  ASSERT_NE(port, 0);
  LanSide client;
  EXPECT_FALSE(client.controller.ClientTestRunning());
  const auto started = std::chrono::steady_clock::now();
  client.controller.StartClients(0, 1, LanClientSettings{"127.0.0.1", port + 65536});
  EXPECT_TRUE(client.controller.ClientTestRunning());
  const std::regex retry("^重试连接服务器:" + std::to_string(port) + "\\.{6}$");
  ASSERT_TRUE(WaitUntil([&] { return CountMatching(client.Lines(), retry) >= 3; }));
  // Each retry waits a full second before the next attempt.
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2000));
  const auto lines = client.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back(), "准备连接服务器:" + std::to_string(port) + "......") << "the first line sinks to the bottom";

  const auto stopPressed = std::chrono::steady_clock::now();
  client.controller.StopClients();
  EXPECT_EQ(client.controller.ClientsRunning(), 0u) << "the stop command returns once its clients have ended";
  EXPECT_FALSE(client.controller.ClientTestRunning());
  EXPECT_LT(std::chrono::steady_clock::now() - stopPressed, std::chrono::milliseconds(1500))
      << "a stop wakes the retry pause";
  EXPECT_EQ(client.controller.Counters().clientsConnected.load(), 0);
}

// A server that accepts but never answers: every client thread's receive
// times out and the thread ends without a report line. The test still runs
// for the window (its button stays at stop) until the user stops it.
TEST(LanClientTest, SilentServerEndsTheClients) {
  auto listener = TcpSocket::Open().value();
  ASSERT_TRUE(listener.Bind(Loopback(), 0));
  ASSERT_TRUE(listener.Listen(8));
  LanSide client;
  client.controller.StartClients(0, 4, LanClientSettings{"127.0.0.1", listener.LocalPort()});
  std::vector<TcpSocket> held;
  ASSERT_TRUE(WaitUntil([&] {
    if (auto accepted = listener.Accept(20)) held.push_back(std::move(accepted->socket));
    return held.size() == 4;
  }));
  EXPECT_TRUE(WaitUntil([&] { return client.controller.ClientsRunning() == 0; }));
  EXPECT_EQ(client.controller.Counters().clientsConnected.load(), 4);
  EXPECT_EQ(CountMatching(client.Lines(), testing::kClientReport), 0);
  EXPECT_EQ(client.controller.Counters().clientsRefused.load(), 0) << "silence is no refusal";
  EXPECT_TRUE(client.controller.ClientTestRunning()) << "clients that ended on their own leave the test running";
  client.controller.StopClients();
  EXPECT_FALSE(client.controller.ClientTestRunning());
}

// The stop command ends transferring clients; the server's connection
// threads then find their clients gone and end too.
TEST(LanClientTest, StopCommandEndsARunningTest) {
  LanSide server;
  LanSide client;
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  client.controller.StartClients(0, 4, LanClientSettings{"127.0.0.1", port});
  ASSERT_TRUE(WaitUntil([&] { return server.controller.ConnectionsRunning() == 4; }));
  client.controller.StopClients();
  EXPECT_EQ(client.controller.ClientsRunning(), 0u);
  EXPECT_TRUE(WaitUntil([&] { return server.controller.ConnectionsRunning() == 0; }));
  EXPECT_EQ(server.controller.ListenersRunning(), 1u) << "the server goes on listening";
}

// A start after a stop runs again with the meter's totals carried over.
TEST(LanClientTest, SecondRunCarriesTheTotalsOver) {
  LanSide server;
  LanSide client;
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  client.controller.StartClients(1, 1, LanClientSettings{"127.0.0.1", port});
  ASSERT_TRUE(WaitUntil([&] { return client.state.clientMeter.Read().receivedTotal > 0; }));
  client.controller.StopClients();
  ASSERT_EQ(client.controller.ClientsRunning(), 0u);
  const std::int64_t firstRun = client.state.clientMeter.Read().receivedTotal;

  client.controller.StartClients(1, 1, LanClientSettings{"127.0.0.1", port});
  EXPECT_TRUE(WaitUntil([&] { return client.state.clientMeter.Read().receivedTotal > firstRun; }));
  // The new connection replaced the log; a report line of the new run follows.
  EXPECT_TRUE(WaitUntil([&] {
    const auto lines = client.Lines();
    return lines.size() >= 2 && lines.back() == "已连接服务器.........." &&
           CountMatching(lines, testing::kClientReport) == static_cast<int>(lines.size()) - 1;
  })) << client.log.Text();
}

}  // namespace
}  // namespace qnc
