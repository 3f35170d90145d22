#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <tuple>

#include "core/lantest/lan_stream.h"
#include "core/lantest/log_lines.h"
#include "lan_test_support.h"
#include "platform/resolve.h"

namespace qnc {
namespace {

using testing::CountMatching;
using testing::LanSide;
using testing::ReportLines;
using testing::WaitUntil;

std::string Escaped(const std::string& text) {
  return std::regex_replace(text, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
}

// Client and server sides on 127.0.0.1 in one process, each with its own
// state as on two machines, for every mode with 1, 4 and 8 connections.
class EndToEndTest : public ::testing::TestWithParam<std::tuple<TransferMode, int>> {};

TEST_P(EndToEndTest, BytesGoTheWayOfTheModeAndBothLogsReport) {
  const auto [mode, threads] = GetParam();
  LanSide server;
  LanSide client;
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);

  client.controller.StartClients(static_cast<int>(mode), threads, LanClientSettings{"127.0.0.1", port});
  const std::regex connectionLine("^连接IP 127\\.0\\.0\\.1 主机名： " + Escaped(WireHostName(LocalHostName())) + "!$");
  ASSERT_TRUE(WaitUntil([&] {
    return CountMatching(server.Lines(), connectionLine) == threads &&
           CountMatching(server.Lines(), testing::kServerReport) >= 2 &&
           CountMatching(client.Lines(), testing::kClientReport) >= 2;
  })) << "server log:\n"
      << server.log.Text() << "client log:\n"
      << client.log.Text();
  client.controller.Shutdown();
  server.controller.Shutdown();
  EXPECT_FALSE(client.controller.ClientTestRunning()) << "the close ends the test";

  EXPECT_EQ(client.controller.Counters().clientsConnected.load(), threads);

  const MeterReading clientMeter = client.state.clientMeter.Read();
  const MeterReading serverMeter = server.state.serverMeter.Read();
  switch (mode) {
    case TransferMode::kBoth:
      EXPECT_GT(clientMeter.sentTotal, 1'000'000);
      EXPECT_GT(clientMeter.receivedTotal, 1'000'000);
      break;
    case TransferMode::kDownloadOnly:
      // The requests stay within 2 % of the download.
      EXPECT_GE(clientMeter.receivedTotal, 50 * clientMeter.sentTotal);
      EXPECT_GE(serverMeter.sentTotal, 50 * serverMeter.receivedTotal);
      break;
    case TransferMode::kUploadOnly:
      EXPECT_GT(clientMeter.sentTotal, 10 * clientMeter.receivedTotal);
      EXPECT_GT(serverMeter.receivedTotal, 10 * serverMeter.sentTotal);
      break;
  }

  // Every line of both logs is one of the lines the test writes, and the
  // report lines put their figures the right way round.
  // Asked for port 0, the listener names the port the system chose.
  const std::regex serverStart("^TCP 服务器启动,客户端连接端口:" + std::to_string(port) + "\\.{8}$");
  const auto serverLines = server.Lines();
  EXPECT_EQ(CountMatching(serverLines, serverStart), 1);
  EXPECT_EQ(CountMatching(serverLines, serverStart) + CountMatching(serverLines, connectionLine) +
                CountMatching(serverLines, testing::kServerReport),
            static_cast<int>(serverLines.size()))
      << server.log.Text();
  const std::regex clientOther("^(准备连接服务器:" + std::to_string(port) + "\\.{6}|已连接服务器\\.{10})$");
  const auto clientLines = client.Lines();
  EXPECT_EQ(CountMatching(clientLines, clientOther) + CountMatching(clientLines, testing::kClientReport),
            static_cast<int>(clientLines.size()))
      << client.log.Text();

  for (const bool serverSide : {true, false}) {
    for (const auto& figures : ReportLines((serverSide ? server : client).log.Text(), serverSide)) {
      // Upload: the server receives, the client sends; download the other way.
      const bool serverSends = mode == TransferMode::kDownloadOnly;
      const bool serverReceives = mode == TransferMode::kUploadOnly;
      if (serverSends) {
        EXPECT_GT(serverSide ? figures.sent : figures.received, 10 * (serverSide ? figures.received : figures.sent));
      } else if (serverReceives) {
        EXPECT_GT(serverSide ? figures.received : figures.sent, 10 * (serverSide ? figures.sent : figures.received));
      } else {
        EXPECT_GT(figures.sent, 0);
        EXPECT_GT(figures.received, 0);
      }
    }
  }
}

std::string CaseName(const ::testing::TestParamInfo<EndToEndTest::ParamType>& param) {
  static const char* const kModeNames[] = {"Both", "Download", "Upload"};
  return std::string(kModeNames[static_cast<int>(std::get<0>(param.param))]) + std::to_string(std::get<1>(param.param));
}

INSTANTIATE_TEST_SUITE_P(ModesAndThreads, EndToEndTest,
                         ::testing::Combine(::testing::Values(TransferMode::kBoth, TransferMode::kDownloadOnly,
                                                              TransferMode::kUploadOnly),
                                            ::testing::Values(1, 4, 8)),
                         CaseName);

}  // namespace
}  // namespace qnc
