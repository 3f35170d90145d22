#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "lan_test_support.h"
#include "lantest/lan_stream.h"
#include "lantest/log_lines.h"

namespace qnc {
namespace {

using testing::CountMatching;
using testing::LanSide;
using testing::Loopback;
using testing::WaitUntil;

const std::regex kConnectionLine("^连接IP 127\\.0\\.0\\.1 主机名： .+!$");

// A hand-made client: connects, sends one first chunk, counts what comes back.
struct RawClient {
  explicit RawClient(std::uint16_t port) : socket(TcpSocket::Open().value()) {
    connected = socket.Connect(Loopback(), port, 3000) == ConnectResult::kConnected;
    socket.SetReceiveTimeout(3000);
  }
  // Receives until `bytes` arrived or the server stops sending.
  long ReceiveAtLeast(long bytes) {
    std::vector<std::uint8_t> buffer(65536);
    long total = 0;
    while (total < bytes) {
      const long received = socket.Receive(buffer);
      if (received <= 0) break;
      total += received;
    }
    return total;
  }
  TcpSocket socket;
  bool connected = false;
};

// A first byte outside 0 to 2 becomes the mode but leaves the sizes: a fresh
// server then answers with 1024000-byte chunks.
TEST(LanServerTest, UnknownFirstByteLeavesTheSizes) {
  for (const std::uint8_t first : {std::uint8_t{7}, std::uint8_t{0xFF}}) {
    LanSide server;
    const std::uint16_t port = server.Listen();
    ASSERT_NE(port, 0);
    RawClient client(port);
    ASSERT_TRUE(client.connected);
    const std::uint8_t chunk[] = {first, 'x', 'y', 0};
    ASSERT_EQ(client.socket.Send(chunk), 4);
    EXPECT_GE(client.ReceiveAtLeast(kLanBufferSize), kLanBufferSize);
    // The client sends nothing more: the server's next receive times out and
    // the connection ends.
    ASSERT_TRUE(WaitUntil([&] { return server.controller.ConnectionsRunning() == 0; }));
    EXPECT_EQ(server.state.mode.load(), static_cast<std::int8_t>(first));
    EXPECT_EQ(server.state.serverSizes.load(), kUnappliedSizes);
    const MeterReading meter = server.state.serverMeter.Read();
    EXPECT_EQ(meter.receivedTotal, 4);
    EXPECT_EQ(meter.sentTotal, kLanBufferSize);
  }
}

TEST(LanServerTest, PortInUseGivesBindFailOnStandardOutput) {
  auto holder = TcpSocket::Open().value();
  ASSERT_TRUE(holder.Bind(0, 0));
  ASSERT_TRUE(holder.Listen(1));
  LanSide server;
  server.controller.StartListener(holder.LocalPort());
  ASSERT_TRUE(WaitUntil([&] { return server.controller.ListenersRunning() == 0; }));
  EXPECT_TRUE(std::regex_match(server.ConsoleText(), std::regex("^bind\\(\\)fail\\d+\n$"))) << server.ConsoleText();
  EXPECT_EQ(server.log.Text(), "") << "a listener that cannot bind writes nothing into the log";
}

TEST(LanServerTest, ListenerStartsWithItsLinesAndPort) {
  LanSide server;
  const std::uint16_t fixed = testing::FreeLoopbackPort();
  ASSERT_NE(fixed, 0);
  server.controller.StartListener(fixed);
  ASSERT_TRUE(WaitUntil([&] { return !server.log.Text().empty(); }));
  EXPECT_EQ(server.log.Text(), "TCP 服务器启动,客户端连接端口:" + std::to_string(fixed) + "........\r\n");
  EXPECT_EQ(server.controller.ListeningPort(), fixed);
  server.controller.Shutdown();
  EXPECT_EQ(server.ConsoleText(), "Server waitting...:\n");
}

// Beyond the connection limit, clients are closed at once with a log line.
TEST(LanServerTest, ServesAtMostTheLimitOfConnections) {
  LanSide server(/*maxConnections=*/2);
  LanSide client;
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  client.controller.StartClients(static_cast<int>(TransferMode::Both), 4, LanClientSettings{"127.0.0.1", port});
  const auto& counters = server.controller.Counters();
  ASSERT_TRUE(WaitUntil([&] { return counters.connectionsAccepted.load() + counters.connectionsRefused.load() == 4; }));
  EXPECT_EQ(counters.connectionsAccepted.load(), 2);
  EXPECT_EQ(counters.connectionsRefused.load(), 2);
  EXPECT_LE(server.controller.ConnectionsRunning(), 2u);
  // The turned-away clients find their connection closed and end.
  EXPECT_TRUE(WaitUntil([&] { return client.controller.ClientsRunning() == 2; }));
  const auto lines = server.Lines();
  EXPECT_EQ(CountMatching(lines, kConnectionLine), 2);
  EXPECT_EQ(CountMatching(lines, std::regex("^连接IP 127\\.0\\.0\\.1 已断开: 同时测试的连接已达上限 2$")), 2);
}

// Changing the port ends the old listener and the connections it served;
// the new listener's start line replaces the log.
TEST(LanServerTest, ChangePortMovesTheListener) {
  LanSide server;
  LanSide client;
  const std::uint16_t oldPort = server.Listen();
  ASSERT_NE(oldPort, 0);
  client.controller.StartClients(static_cast<int>(TransferMode::Both), 1, LanClientSettings{"127.0.0.1", oldPort});
  ASSERT_TRUE(WaitUntil([&] { return CountMatching(server.Lines(), kConnectionLine) == 1; }));

  const std::uint16_t newPort = testing::FreeLoopbackPort();
  server.controller.ChangePort(newPort);
  EXPECT_EQ(server.controller.ConnectionsRunning(), 0u);
  ASSERT_TRUE(WaitUntil([&] { return server.controller.ListeningPort() == newPort; }));
  EXPECT_EQ(server.controller.ListenersRunning(), 1u);
  const auto lines = server.Lines();
  EXPECT_EQ(CountMatching(lines, std::regex("^TCP 服务器启动,客户端连接端口:" + std::to_string(newPort) + "\\.{8}$")), 1);
  EXPECT_EQ(CountMatching(lines, kConnectionLine), 0) << "the start line replaced the log";

  auto probe = TcpSocket::Open().value();
  EXPECT_EQ(probe.Connect(Loopback(), newPort, 3000), ConnectResult::kConnected);
  auto old = TcpSocket::Open().value();
  EXPECT_EQ(old.Connect(Loopback(), oldPort, 3000), ConnectResult::kFailed);
}

// Closing ends the listener and every connection thread, lowers the flag,
// and the port can be bound again at once.
TEST(LanServerTest, CloseEndsEverythingAndFreesThePort) {
  const std::uint16_t port = testing::FreeLoopbackPort();
  ASSERT_NE(port, 0);
  LanSide client;
  {
    LanSide server;
    server.controller.StartListener(port);
    ASSERT_TRUE(WaitUntil([&] { return !server.log.Text().empty(); }));
    client.controller.StartClients(static_cast<int>(TransferMode::DownloadOnly), 4,
                                   LanClientSettings{"127.0.0.1", port});
    ASSERT_TRUE(WaitUntil([&] { return server.controller.ConnectionsRunning() == 4; }));
    server.controller.Shutdown();
    EXPECT_EQ(server.controller.ListenersRunning(), 0u);
    EXPECT_EQ(server.controller.ConnectionsRunning(), 0u);
  }
  EXPECT_TRUE(WaitUntil([&] { return client.controller.ClientsRunning() == 0; }));
  LanSide again;
  again.controller.StartListener(port);
  EXPECT_TRUE(WaitUntil([&] { return !again.log.Text().empty(); })) << again.ConsoleText();
}

}  // namespace
}  // namespace qnc
