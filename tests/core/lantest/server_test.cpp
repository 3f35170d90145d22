#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <regex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "core/lantest/lan_stream.h"
#include "core/lantest/log_lines.h"
#include "lan_test_support.h"
#include "platform/socket_handle.h"

namespace qnc {
namespace {

using testing::CountMatching;
using testing::LanSide;
using testing::Loopback;
using testing::WaitUntil;

const std::regex kConnectionLine("^连接IP 127\\.0\\.0\\.1 主机名： .+!$");

using namespace std::chrono_literals;

// A hand-made client: connects (from the given source address), sends what a
// test makes it send, counts what comes back.
struct RawClient {
  explicit RawClient(std::uint16_t port, Ipv4NetOrder source = 0) : socket(TcpSocket::Open().value()) {
    if (source != 0 && !socket.Bind(source, 0)) return;
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
  const std::uint16_t fixed = testing::FreeLoopbackPort();
  ASSERT_NE(fixed, 0);
  // A number beyond 16 bits listens on its low 16 bits, and the line names that port.
  for (const int asked : {int{fixed}, fixed + 65536}) {
    LanSide server;
    server.controller.StartListener(asked);
    ASSERT_TRUE(WaitUntil([&] { return !server.log.Text().empty(); }));
    EXPECT_EQ(server.log.Text(), "TCP 服务器启动,客户端连接端口:" + std::to_string(fixed) + "........\r\n");
    EXPECT_EQ(server.controller.ListeningPort(), fixed);
    server.controller.Shutdown();
    EXPECT_EQ(server.ConsoleText(), "Server waitting...:\n");
  }
}

// Beyond the connection limit, clients are closed at once with a log line;
// each turned-away client notices the close. (Its line in the client's log
// may be wiped by a later "connected" text of another thread, so the count
// is what this test checks.)
TEST(LanServerTest, ServesAtMostTheLimitOfConnections) {
  LanSide server(/*maxConnections=*/2);
  LanSide client;
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  client.controller.StartClients(static_cast<int>(TransferMode::kBoth), 4, LanClientSettings{"127.0.0.1", port});
  const auto& counters = server.controller.Counters();
  ASSERT_TRUE(WaitUntil([&] { return counters.connectionsAccepted.load() + counters.connectionsRefused.load() == 4; }));
  EXPECT_EQ(counters.connectionsAccepted.load(), 2);
  EXPECT_EQ(counters.connectionsRefused.load(), 2);
  EXPECT_LE(server.controller.ConnectionsRunning(), 2u);
  // The turned-away clients find their connection closed and end.
  EXPECT_TRUE(WaitUntil([&] { return client.controller.ClientsRunning() == 2; }));
  EXPECT_EQ(client.controller.Counters().clientsRefused.load(), 2);
  const auto lines = server.Lines();
  EXPECT_EQ(CountMatching(lines, kConnectionLine), 2);
  EXPECT_EQ(CountMatching(lines, std::regex("^连接IP 127\\.0\\.0\\.1 已断开: 同时测试的连接已达上限 2$")), 2);
}

// Each connection keeps the sizes of its own first byte: a second client
// that starts with mode 0 gets full chunks back, while the running upload
// test goes on getting one byte a pass.
TEST(LanServerTest, EachConnectionKeepsItsOwnMode) {
  LanSide server;
  LanSide client;
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  client.controller.StartClients(static_cast<int>(TransferMode::kUploadOnly), 1, LanClientSettings{"127.0.0.1", port});
  ASSERT_TRUE(WaitUntil([&] { return client.state.clientMeter.Read().sentTotal > 1'000'000; }));

  RawClient stray(port);
  ASSERT_TRUE(stray.connected);
  const std::uint8_t both[] = {0, 'x', 0};
  ASSERT_EQ(stray.socket.Send(both), 3);
  EXPECT_GE(stray.ReceiveAtLeast(102400), 102400) << "the second connection runs in its own mode";

  const MeterReading before = client.state.clientMeter.Read();
  std::this_thread::sleep_for(500ms);
  const MeterReading after = client.state.clientMeter.Read();
  const std::int64_t sent = after.sentTotal - before.sentTotal;
  const std::int64_t received = after.receivedTotal - before.receivedTotal;
  EXPECT_GT(sent, 1'000'000);
  EXPECT_GT(sent, 1000 * std::max<std::int64_t>(received, 1)) << "the upload still gets one byte back a pass";
}

// One address gets at most eight places: a ninth connection from it is
// closed at once without a byte, and its client says so in its log; another
// address still gets in.
TEST(LanServerTest, AtMostEightConnectionsFromOneAddress) {
  LanSide server;
  LanSide eight;
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  const auto& counters = server.controller.Counters();
  eight.controller.StartClients(0, 8, LanClientSettings{"127.0.0.1", port});
  ASSERT_TRUE(WaitUntil([&] { return counters.connectionsAccepted.load() == 8; }));

  LanSide ninth;
  ninth.controller.StartClients(0, 1, LanClientSettings{"127.0.0.1", port});
  ASSERT_TRUE(WaitUntil([&] { return ninth.controller.ClientsRunning() == 0; }));
  EXPECT_EQ(counters.connectionsRefused.load(), 1);
  EXPECT_EQ(ninth.controller.Counters().clientsRefused.load(), 1);
  ASSERT_FALSE(ninth.Lines().empty());
  EXPECT_EQ(ninth.Lines().front(), "服务器拒绝连接（可能已达上限）");
  EXPECT_EQ(ninth.state.clientMeter.Read().receivedTotal, 0);
  EXPECT_EQ(ninth.state.clientMeter.Read().sentTotal, 0) << "a connection turned away has measured nothing";
  EXPECT_EQ(CountMatching(server.Lines(), std::regex("^连接IP 127\\.0\\.0\\.1 已断开: 来自该地址的连接已达上限 8$")),
            1);

  RawClient other(port, ParseDottedQuad("127.0.0.2").value());
  ASSERT_TRUE(other.connected);
  EXPECT_TRUE(WaitUntil([&] { return counters.connectionsAccepted.load() == 9; }));
  EXPECT_EQ(CountMatching(server.Lines(), std::regex("^连接IP 127\\.0\\.0\\.2 主机名： .+!$")), 1);
  EXPECT_EQ(eight.controller.ClientsRunning(), 8u) << "the eight go on";
}

// Clients from several addresses that each hold their share of places and
// send a byte now and then (the server answers each with a byte): they keep
// their connections alive but move almost nothing, so once a window of the
// server's clock has judged them, a real tester takes the place of one of them.
TEST(LanServerTest, ARealTesterTakesThePlaceOfATricklingConnection) {
  constexpr int kSources = 2;  // 127.0.0.2 and 127.0.0.3; the tester comes from 127.0.0.1
  testing::FakeTicks ticks(5000);
  LanSide server(kSources * kMaxConnectionsPerSource, ticks);
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  const auto& counters = server.controller.Counters();
  // One at a time, each naming the upload mode at once: a burst of connects
  // beyond the listener's backlog would hold some back for seconds.
  std::vector<std::unique_ptr<RawClient>> tricklers;
  std::atomic<std::int64_t> sent{0};
  for (int source = 2; source < 2 + kSources; ++source) {
    const Ipv4NetOrder address = ParseDottedQuad("127.0.0." + std::to_string(source)).value();
    for (int i = 0; i < kMaxConnectionsPerSource; ++i) {
      tricklers.push_back(std::make_unique<RawClient>(port, address));
      ASSERT_TRUE(tricklers.back()->connected);
      const auto upload = static_cast<std::uint8_t>(TransferMode::kUploadOnly);
      sent += tricklers.back()->socket.Send(std::span(&upload, 1));
      ASSERT_TRUE(WaitUntil([&] { return counters.connectionsAccepted.load() == static_cast<int>(tricklers.size()); }));
    }
  }
  // Then a byte from each every 200 ms, well within the server's receive time-out.
  std::atomic<int> rounds{0};
  std::jthread trickling([&](std::stop_token stop) {
    const std::uint8_t byte = 1;
    const auto deadline = std::chrono::steady_clock::now() + 40s;
    while (!stop.stop_requested() && std::chrono::steady_clock::now() < deadline) {
      for (auto& trickler : tricklers) sent += trickler->socket.Send(std::span(&byte, 1)) == 1 ? 1 : 0;
      ++rounds;
      std::this_thread::sleep_for(200ms);
    }
  });
  // Waits until a round after `round` has been sent and the server counted every byte so far.
  const auto countedAfter = [&](int round) {
    return WaitUntil([&] {
      const bool later = rounds.load() > round;
      return later && server.state.serverMeter.Read().receivedTotal >= sent.load();
    });
  };
  ASSERT_TRUE(countedAfter(0)) << server.state.serverMeter.Read().receivedTotal << " of " << sent.load() << " after "
                               << rounds.load() << "; running " << server.controller.ConnectionsRunning() << "\n"
                               << server.log.Text();
  // Every place is taken; the server's clock moves one window on while the
  // tricklers go on.
  ticks.Set(ticks.Now() + kActivityWindowMs);
  ASSERT_TRUE(countedAfter(rounds.load()));

  LanSide tester;
  tester.controller.StartClients(static_cast<int>(TransferMode::kBoth), 1, LanClientSettings{"127.0.0.1", port});
  ASSERT_TRUE(WaitUntil([&] { return tester.state.clientMeter.Read().receivedTotal > 1'000'000; }))
      << server.log.Text();
  EXPECT_EQ(counters.connectionsRefused.load(), 0);
  EXPECT_EQ(counters.connectionsDisplaced.load(), 1);
  EXPECT_EQ(CountMatching(server.Lines(), std::regex("^连接IP 127\\.0\\.0\\.[23] 已断开: "
                                                     "几乎没有数据传输，位置让给 127\\.0\\.0\\.1$")),
            1)
      << server.log.Text();
  // The connection that gave its place up has ended; the others go on.
  EXPECT_TRUE(WaitUntil([&] { return server.controller.ConnectionsRunning() == tricklers.size(); }));
  tester.controller.StopClients();
  trickling.request_stop();
}

// A client that sends but never reads: every receive of its connection
// succeeds while every send times out. Once the sends have moved nothing for
// ten seconds of the server's clock, the server closes the connection.
TEST(LanServerTest, ClosesAConnectionWhoseClientNeverReads) {
  testing::FakeTicks ticks(5000);
  LanSide server(kMaxServedConnections, ticks);
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  RawClient client(port);
  ASSERT_TRUE(client.connected);
  client.socket.SetSendTimeout(200);
  std::atomic<bool> closed{false};
  std::jthread sender([&](std::stop_token stop) {
    const std::vector<std::uint8_t> chunk(65536, 0);  // first byte 0: both ways
    const auto deadline = std::chrono::steady_clock::now() + 20s;
    while (!stop.stop_requested() && std::chrono::steady_clock::now() < deadline) {
      if (client.socket.Send(chunk) < 0 && !IsTimeoutError(LastSocketError())) {
        closed.store(true);
        return;
      }
    }
  });
  ASSERT_TRUE(WaitUntil([&] { return server.controller.ConnectionsRunning() == 1; }));
  // The server's clock moves only here, a second every 20 ms.
  EXPECT_TRUE(WaitUntil(
      [&] {
        ticks.Set(ticks.Now() + 1000);
        return server.controller.ConnectionsRunning() == 0;
      },
      15s));
  EXPECT_TRUE(WaitUntil([&] { return closed.load(); })) << "the client finds its connection closed";
  EXPECT_GT(server.state.serverMeter.Read().receivedTotal, 0);
}

// Reads the clock, then on about every third call waits 2 ms before
// answering: a reading of one thread then often comes back after another
// thread's later one was stored.
class SlowToAnswerTicks final : public TickSource {
 public:
  std::uint32_t Now() const override {
    const std::uint32_t now = TickCount();
    thread_local std::minstd_rand chance(
        static_cast<std::uint32_t>(std::hash<std::thread::id>()(std::this_thread::get_id())));
    if (chance() % 3 == 0) std::this_thread::sleep_for(2ms);
    return now;
  }
};

// The receiving thread reads the clock while the streaming thread stores the
// time of its latest send: a reading older than that send is no idle time,
// and the connection goes on. When a connection does end, its client says why.
TEST(LanServerTest, CrossingClockReadingsDoNotEndAHealthyConnection) {
  SlowToAnswerTicks ticks;
  for (const TransferMode mode : {TransferMode::kBoth, TransferMode::kDownloadOnly}) {
    LanSide server(kMaxServedConnections, ticks);
    const std::uint16_t port = server.Listen();
    ASSERT_NE(port, 0);
    LanSide client;
    client.controller.StartClients(static_cast<int>(mode), 2, LanClientSettings{"127.0.0.1", port});
    ASSERT_TRUE(WaitUntil([&] { return client.state.clientMeter.Read().receivedTotal > 1'000'000; }));
    std::this_thread::sleep_for(1500ms);
    EXPECT_EQ(client.controller.ClientsRunning(), 2u) << static_cast<int>(mode);
    EXPECT_EQ(server.controller.ConnectionsRunning(), 2u) << static_cast<int>(mode);
    EXPECT_EQ(CountMatching(client.Lines(), std::regex("^连接已断开.*")), 0) << client.log.Text();

    // The server goes away: the client's log says that it closed the connection.
    server.controller.Shutdown();
    EXPECT_TRUE(WaitUntil([&] { return client.controller.ClientsRunning() == 0; }));
    EXPECT_EQ(CountMatching(client.Lines(), std::regex("^连接已断开: (服务器关闭了连接|错误 \\d+)$")), 2)
        << client.log.Text();
  }
}

// Changing the port ends the old listener and the connections it served;
// the new listener's start line replaces the log.
TEST(LanServerTest, ChangePortMovesTheListener) {
  LanSide server;
  LanSide client;
  const std::uint16_t oldPort = server.Listen();
  ASSERT_NE(oldPort, 0);
  client.controller.StartClients(static_cast<int>(TransferMode::kBoth), 1, LanClientSettings{"127.0.0.1", oldPort});
  ASSERT_TRUE(WaitUntil([&] { return CountMatching(server.Lines(), kConnectionLine) == 1; }));

  const std::uint16_t newPort = testing::FreeLoopbackPort();
  server.controller.ChangePort(newPort);
  EXPECT_EQ(server.controller.ConnectionsRunning(), 0u);
  // The new listener has its port once bound, and writes its start line a
  // moment later, once it listens.
  const std::regex startLine("^TCP 服务器启动,客户端连接端口:" + std::to_string(newPort) + "\\.{8}$");
  ASSERT_TRUE(WaitUntil(
      [&] { return server.controller.ListeningPort() == newPort && CountMatching(server.Lines(), startLine) == 1; }));
  EXPECT_EQ(server.controller.ListenersRunning(), 1u);
  const auto lines = server.Lines();
  EXPECT_EQ(CountMatching(lines, startLine), 1);
  EXPECT_EQ(CountMatching(lines, kConnectionLine), 0) << "the start line replaced the log";

  auto probe = TcpSocket::Open().value();
  EXPECT_EQ(probe.Connect(Loopback(), newPort, 3000), ConnectResult::kConnected);
  auto old = TcpSocket::Open().value();
  EXPECT_EQ(old.Connect(Loopback(), oldPort, 3000), ConnectResult::kFailed);
}

// Closing ends the listener and every connection thread,
// and the port can be bound again at once.
TEST(LanServerTest, CloseEndsEverythingAndFreesThePort) {
  const std::uint16_t port = testing::FreeLoopbackPort();
  ASSERT_NE(port, 0);
  LanSide client;
  {
    LanSide server;
    server.controller.StartListener(port);
    ASSERT_TRUE(WaitUntil([&] { return !server.log.Text().empty(); }));
    client.controller.StartClients(static_cast<int>(TransferMode::kDownloadOnly), 4,
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
