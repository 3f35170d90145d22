// The pipelined client and the streaming server against peers that do one
// exchange at a time, written here from the stream's rules; stops in the
// middle of a run; servers that reply too little, too much or not at all.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "core/lantest/request_pacer.h"
#include "lan_test_support.h"
#include "lock_step_peers.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;
using testing::CountMatching;
using testing::LanSide;
using testing::LockStepServerQuirks;
using testing::PeerTally;
using testing::ScriptedServer;
using testing::WaitUntil;

const std::regex kClientOtherLine("^(准备连接服务器:\\d+\\.{6}|已连接服务器\\.{10}|连接已断开: .+)$");
const std::regex kServerOtherLine("^(TCP 服务器启动,客户端连接端口:\\d+\\.{8}|连接IP 127\\.0\\.0\\.1 主机名： .+!)$");

int ReportCount(const LanSide& side, bool server) {
  return CountMatching(side.Lines(), server ? testing::kServerReport : testing::kClientReport);
}

// Every line is one the side writes in a run: no refusal, nothing else.
void ExpectOnlyRunLines(const LanSide& side, bool server) {
  const auto lines = side.Lines();
  EXPECT_EQ(CountMatching(lines, server ? kServerOtherLine : kClientOtherLine) + ReportCount(side, server),
            static_cast<int>(lines.size()))
      << side.log.Text();
}

std::chrono::milliseconds Since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

class LockStepPeerTest : public ::testing::TestWithParam<std::tuple<TransferMode, int>> {};

// This program's client against a server that receives, then replies, one
// exchange at a time: every byte the server gets repeats the client chunk of
// the mode, the bytes go the mode's way, both sides keep going, and a
// download's requests stay within 2 % of what comes back.
TEST_P(LockStepPeerTest, OurClientAgainstALockStepServer) {
  const auto [transferMode, connections] = GetParam();
  const int mode = static_cast<int>(transferMode);
  PeerTally tally;
  std::optional<ScriptedServer> server(std::in_place, [&tally](TcpSocket& socket, std::stop_token stop) {
    testing::ServeLockStep(socket, std::move(stop), tally);
  });
  LanSide client;
  client.controller.StartClients(mode, connections, LanClientSettings{"127.0.0.1", server->Port()});
  ASSERT_TRUE(WaitUntil([&] { return server->Accepted() == connections && ReportCount(client, false) >= 2; }))
      << client.log.Text();
  EXPECT_EQ(client.controller.ClientsRunning(), static_cast<std::size_t>(connections)) << "nobody stalled";
  client.controller.StopClients();
  server.reset();  // its threads have counted everything they moved

  EXPECT_EQ(tally.firstByte.load(), mode);
  EXPECT_EQ(tally.mismatches.load(), 0) << "the client chunk, repeated";
  const std::int64_t toServer = tally.received.load();
  const std::int64_t toClient = tally.sent.load();
  switch (transferMode) {
    case TransferMode::kBoth:
      EXPECT_GT(toServer, 1'000'000);
      EXPECT_GT(toClient, 1'000'000);
      break;
    case TransferMode::kDownloadOnly:
      EXPECT_GT(toClient, 1'000'000);
      EXPECT_LE(toServer * 50, toClient) << "requests within 2 % of the download";
      break;
    case TransferMode::kUploadOnly:
      EXPECT_GT(toServer, 1'000'000);
      EXPECT_GT(toServer, 10'000 * toClient);
      break;
  }
  const MeterReading meter = client.state.clientMeter.Read();
  EXPECT_LE(meter.receivedTotal, toClient) << "the client counts no byte the server did not send";
  EXPECT_LE(toServer, meter.sentTotal) << "nor the server one that the client did not count";
  ExpectOnlyRunLines(client, false);
}

// A client that sends a chunk, then reads up to one, against this program's
// server: it finds zero filler and data on every pass, in the mode's sizes,
// and the server logs its usual lines.
TEST_P(LockStepPeerTest, ALockStepClientAgainstOurServer) {
  const auto [transferMode, connections] = GetParam();
  const int mode = static_cast<int>(transferMode);
  LanSide server;
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  PeerTally tally;
  std::vector<std::jthread> clients;
  for (int i = 0; i < connections; ++i) {
    clients.emplace_back(
        [&tally, port, mode](std::stop_token stop) { testing::RunLockStepClient(port, mode, std::move(stop), tally); });
  }
  ASSERT_TRUE(WaitUntil([&] { return ReportCount(server, true) >= 2; })) << server.log.Text();
  const std::int64_t passesBefore = tally.passes.load();
  std::this_thread::sleep_for(200ms);
  EXPECT_GT(tally.passes.load(), passesBefore) << "still exchanging";
  for (auto& thread : clients) thread.request_stop();
  clients.clear();

  EXPECT_EQ(tally.mismatches.load(), 0) << "filler only";
  const std::int64_t sent = tally.sent.load();
  const std::int64_t received = tally.received.load();
  switch (transferMode) {
    case TransferMode::kBoth:
      EXPECT_GT(sent, 1'000'000);
      EXPECT_GT(received, 1'000'000);
      break;
    case TransferMode::kDownloadOnly:
      EXPECT_GT(received, 1'000'000);
      EXPECT_GT(received, 20 * sent);
      break;
    case TransferMode::kUploadOnly:
      EXPECT_GT(sent, 1'000'000);
      EXPECT_GT(sent, 10'000 * received) << "a byte or so back per pass";
      break;
  }
  EXPECT_EQ(CountMatching(server.Lines(), std::regex("^连接IP 127\\.0\\.0\\.1 主机名： .+!$")), connections);
  ExpectOnlyRunLines(server, true);
  server.controller.Shutdown();
}

std::string PeerCaseName(const ::testing::TestParamInfo<LockStepPeerTest::ParamType>& param) {
  static const char* const kModeNames[] = {"Both", "Download", "Upload"};
  return std::string(kModeNames[static_cast<int>(std::get<0>(param.param))]) + std::to_string(std::get<1>(param.param));
}

INSTANTIATE_TEST_SUITE_P(ModesAndConnections, LockStepPeerTest,
                         ::testing::Combine(::testing::Values(TransferMode::kBoth, TransferMode::kDownloadOnly,
                                                              TransferMode::kUploadOnly),
                                            ::testing::Values(1, 4)),
                         PeerCaseName);

class PipelinedStopTest : public ::testing::TestWithParam<TransferMode> {};

// A stop in the middle of a run ends every thread within the stop command's
// waits (11 x 100 ms and a second), and the close within its (11 x 200 ms).
TEST_P(PipelinedStopTest, StopEndsEveryThreadWithinTheWaits) {
  const int mode = static_cast<int>(GetParam());
  LanSide server;
  LanSide client;
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  client.controller.StartClients(mode, 4, LanClientSettings{"127.0.0.1", port});
  ASSERT_TRUE(WaitUntil([&] {
    const MeterReading meter = client.state.clientMeter.Read();
    return server.controller.ConnectionsRunning() == 4 && meter.sentTotal + meter.receivedTotal > 20'000'000;
  }));

  auto start = std::chrono::steady_clock::now();
  client.controller.StopClients();
  EXPECT_LT(Since(start), 1100ms);
  EXPECT_EQ(client.controller.ClientsRunning(), 0u);

  start = std::chrono::steady_clock::now();
  server.controller.Shutdown();
  EXPECT_LT(Since(start), 2200ms);
  EXPECT_EQ(server.controller.ConnectionsRunning(), 0u);
  EXPECT_EQ(server.controller.ListenersRunning(), 0u);
}

std::string ModeName(const ::testing::TestParamInfo<TransferMode>& info) {
  static const char* const kModeNames[] = {"Both", "Download", "Upload"};
  return kModeNames[static_cast<int>(info.param)];
}

INSTANTIATE_TEST_SUITE_P(Modes, PipelinedStopTest,
                         ::testing::Values(TransferMode::kBoth, TransferMode::kDownloadOnly, TransferMode::kUploadOnly),
                         ModeName);

// Servers that do not keep to the stream. The client never floods them, ends
// once nothing has come for a second (a pass of more than a second), and
// writes no line for it, as a client doing one exchange at a time does.
TEST(MisbehavingServerTest, RepliesFarShortOfAChunk) {
  PeerTally tally;
  ScriptedServer server([&tally](TcpSocket& socket, std::stop_token stop) {
    testing::ServeLockStep(socket, std::move(stop), tally, LockStepServerQuirks{.replyBytes = 1});
  });
  LanSide client;
  client.controller.StartClients(static_cast<int>(TransferMode::kDownloadOnly), 1,
                                 LanClientSettings{"127.0.0.1", server.Port()});
  ASSERT_TRUE(WaitUntil([&] { return tally.passes.load() >= 1; }));
  EXPECT_TRUE(WaitUntil([&] { return client.controller.ClientsRunning() == 0; }, 3000ms)) << "it ends by itself";
  EXPECT_GE(client.state.clientMeter.Read().receivedTotal, 1);
  EXPECT_LE(client.state.clientMeter.Read().sentTotal, (RequestPacer::kFirstWindow + 2) * 1024)
      << "no request beyond what the replies paid for";
  EXPECT_EQ(tally.mismatches.load(), 0);
  ExpectOnlyRunLines(client, false);
}

TEST(MisbehavingServerTest, RepliesTenChunksAtATime) {
  PeerTally tally;
  ScriptedServer server([&tally](TcpSocket& socket, std::stop_token stop) {
    testing::ServeLockStep(socket, std::move(stop), tally, LockStepServerQuirks{.replyBytes = 1024000});
  });
  LanSide client;
  client.controller.StartClients(static_cast<int>(TransferMode::kDownloadOnly), 1,
                                 LanClientSettings{"127.0.0.1", server.Port()});
  ASSERT_TRUE(WaitUntil([&] { return ReportCount(client, false) >= 2; })) << client.log.Text();
  EXPECT_EQ(client.controller.ClientsRunning(), 1u);
  client.controller.StopClients();
  const MeterReading meter = client.state.clientMeter.Read();
  EXPECT_GT(meter.receivedTotal, 10'000'000);
  EXPECT_LE(meter.sentTotal * 50, meter.receivedTotal) << "requests still paced by the bytes that came back";
  ExpectOnlyRunLines(client, false);
}

// The server goes on reading but stops replying: every mode's client ends
// about a second later by itself, without a line.
TEST(MisbehavingServerTest, StopsReplying) {
  for (const TransferMode transferMode :
       {TransferMode::kBoth, TransferMode::kDownloadOnly, TransferMode::kUploadOnly}) {
    SCOPED_TRACE(static_cast<int>(transferMode));
    PeerTally tally;
    ScriptedServer server([&tally](TcpSocket& socket, std::stop_token stop) {
      testing::ServeLockStep(socket, std::move(stop), tally, LockStepServerQuirks{.replies = 50});
    });
    LanSide client;
    client.controller.StartClients(static_cast<int>(transferMode), 1, LanClientSettings{"127.0.0.1", server.Port()});
    ASSERT_TRUE(WaitUntil([&] { return tally.passes.load() >= 50; }));
    const auto silent = std::chrono::steady_clock::now();
    EXPECT_TRUE(WaitUntil([&] { return client.controller.ClientsRunning() == 0; }, 3000ms));
    EXPECT_GE(Since(silent), 500ms) << "it waited for the server";
    EXPECT_EQ(tally.mismatches.load(), 0);
    ExpectOnlyRunLines(client, false);
  }
}

// A server that neither reads nor replies: the client's sends wait for room
// that never comes, and a stop still ends it within the stop command's waits.
TEST(MisbehavingServerTest, StopWhileTheServerReadsNothing) {
  for (const TransferMode transferMode : {TransferMode::kBoth, TransferMode::kUploadOnly}) {
    SCOPED_TRACE(static_cast<int>(transferMode));
    ScriptedServer server([](TcpSocket&, std::stop_token stop) {
      while (!stop.stop_requested()) std::this_thread::sleep_for(10ms);
    });
    LanSide client;
    client.controller.StartClients(static_cast<int>(transferMode), 1, LanClientSettings{"127.0.0.1", server.Port()});
    ASSERT_TRUE(WaitUntil([&] { return server.Accepted() == 1; }));
    // Loopback fills the socket buffers within milliseconds; then the sends wait.
    std::this_thread::sleep_for(300ms);
    const auto start = std::chrono::steady_clock::now();
    client.controller.StopClients();
    EXPECT_LT(Since(start), 1100ms);
    EXPECT_EQ(client.controller.ClientsRunning(), 0u);
    EXPECT_EQ(client.state.clientMeter.Read().sentTotal, 0) << "nothing measured without a reply";
  }
}

}  // namespace
}  // namespace qnc
