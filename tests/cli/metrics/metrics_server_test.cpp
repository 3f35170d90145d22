#include "cli/metrics/metrics_server.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "cli/metrics/http_exchange.h"
#include "cli/metrics/probe_metrics.h"
#include "platform/tcp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

MetricsServer::TextWriter Writer(const ProbeMetrics& metrics) {
  return [&metrics](std::string& out) { metrics.WriteText(out); };
}

class MetricsServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string whyNot;
    server_ = MetricsServer::Listen("127.0.0.1:0", Writer(metrics_), whyNot);
    ASSERT_NE(server_, nullptr) << whyNot;
    port_ = static_cast<std::uint16_t>(server_->Port());
    ASSERT_NE(port_, 0);
  }

  ProbeMetrics metrics_{"4.5.6"};
  std::unique_ptr<MetricsServer> server_;
  std::uint16_t port_ = 0;
};

TEST_F(MetricsServerTest, ServesMetricsAFrontPageAndHealthAndNothingElse) {
  struct Case {
    std::string request;
    int status;
    std::string inBody;
  };
  const Case cases[] = {
      {"GET /metrics", 200, "quorix_probe_build_info{version=\"4.5.6\"} 1"},
      {"GET /", 200, "<a href=\"/metrics\">"},
      {"GET /-/healthy", 200, "healthy"},
      {"GET /-/healthy?verbose=1", 200, "healthy"},
      {"HEAD /", 200, ""},
      {"GET /nothing", 404, "/metrics"},
      {"GET /metrics/extra", 404, ""},
      {"GET /-/ready", 404, ""},
      {"POST /", 405, ""},
      {"DELETE /-/healthy", 405, ""},
  };
  for (const Case& c : cases) {
    const auto exchange = test::Exchange(port_, c.request + " HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(exchange.Status(), c.status) << c.request << "\n" << exchange.reply;
    EXPECT_NE(exchange.Body().find(c.inBody), std::string::npos) << c.request << "\n" << exchange.reply;
  }
  EXPECT_EQ(test::HttpGet(port_, "/").reply.find("Content-Type: text/html") != std::string::npos, true);
  EXPECT_EQ(test::Exchange(port_, "HEAD / HTTP/1.1\r\nConnection: close\r\n\r\n").Body(), "");
}

TEST_F(MetricsServerTest, BadRequestsAreClosedAndTheServerGoesOn) {
  const std::string cases[] = {
      "GARBAGE\r\n\r\n",
      std::string("\x01\x02\x03\xff\r\n\r\n", 8),
      "GET /" + std::string(100'000, 'a') + " HTTP/1.1\r\n\r\n",
      "GET / HTTP/1.1\r\n" + std::string(40'000, 'h') + ": v\r\n\r\n",
      "GET / HTTP/9.9\r\n\r\n",
      "GET / HTTP/1.1\r\nContent-Length: -5\r\n\r\n",
  };
  for (const std::string& request : cases) {
    const auto exchange = test::Exchange(port_, request);
    EXPECT_TRUE(exchange.connected);
    EXPECT_TRUE(exchange.closedByServer) << request.substr(0, 40);
    const int status = exchange.Status();
    EXPECT_TRUE(status == 0 || (status >= 400 && status < 600)) << request.substr(0, 40) << ": " << status;
  }
  // A client that opens a connection and says nothing holds no thread for ever:
  // the server still answers while it waits, and closes it in time.
  auto silent = TcpSocket::Open();
  ASSERT_TRUE(silent);
  ASSERT_EQ(silent->Connect(*ParseDottedQuad("127.0.0.1"), port_, 2000), ConnectResult::kConnected);
  EXPECT_EQ(test::HttpGet(port_, "/-/healthy").Status(), 200);
  EXPECT_EQ(test::HttpGet(port_, "/metrics").Status(), 200);
}

// Requests in the forms that clients other than a browser use get a whole
// answer: an absolute URI, OPTIONS (also OPTIONS *), a websocket upgrade (not
// taken: the page comes back as plain HTTP).
TEST_F(MetricsServerTest, EveryFormOfRequestGetsAStatusLine) {
  struct Case {
    std::string request;
    int status;
    std::string inReply;
  };
  const Case cases[] = {
      {"GET http://127.0.0.1/metrics HTTP/1.1", 200, "quorix_probe_build_info"},
      {"GET http://127.0.0.1 HTTP/1.1", 200, "<a href=\"/metrics\">"},
      {"OPTIONS * HTTP/1.1", 204, "Allow: GET, HEAD, OPTIONS\r\n"},
      {"OPTIONS /metrics HTTP/1.1", 204, "Allow: GET, HEAD, OPTIONS\r\n"},
      {"GET /metrics HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: eA==", 200,
       "quorix_probe_build_info"},
      {"GET /metrics HTTP/1.0", 200, "Content-Length: "},
      {"PUT /metrics HTTP/1.1", 405, "Allow: GET, HEAD, OPTIONS\r\n"},
  };
  for (const Case& c : cases) {
    const auto exchange = test::Exchange(port_, c.request + "\r\nConnection: close\r\n\r\n");
    EXPECT_EQ(exchange.Status(), c.status) << c.request << "\n" << exchange.reply;
    EXPECT_NE(exchange.reply.find(c.inReply), std::string::npos) << c.request << "\n" << exchange.reply;
    EXPECT_TRUE(exchange.closedByServer) << c.request;
  }
}

// One connection carries several requests, also sent at once, answered in
// order; "Connection: close" ends it after its answer.
TEST_F(MetricsServerTest, KeepsConnectionsAliveAndAnswersPipelinedRequestsInOrder) {
  const auto exchange = test::Exchange(port_,
                                       "GET /-/healthy HTTP/1.1\r\n\r\n"
                                       "HEAD /metrics HTTP/1.1\r\n\r\n"
                                       "GET /nothing HTTP/1.1\r\n\r\n"
                                       "GET / HTTP/1.1\r\nConnection: close\r\n\r\n"
                                       "GET /-/healthy HTTP/1.1\r\n\r\n");
  EXPECT_TRUE(exchange.closedByServer);
  std::vector<int> statuses;
  for (auto at = exchange.reply.find("HTTP/1.1 "); at != std::string::npos;
       at = exchange.reply.find("HTTP/1.1 ", at + 1)) {
    statuses.push_back(std::atoi(exchange.reply.c_str() + at + 9));
  }
  EXPECT_EQ(statuses, (std::vector<int>{200, 200, 404, 200})) << exchange.reply;
  EXPECT_NE(exchange.reply.find("healthy.\n"), std::string::npos);
  EXPECT_EQ(exchange.reply.find("quorix_probe_build_info{"), std::string::npos) << "HEAD has no body";
}

// Connections that say nothing, or send a request a byte at a time and never
// finish it, hold no thread: with more of them open than the server keeps,
// scrapes are still answered at once, and the oldest waiting connections are
// the ones closed to make room.
TEST_F(MetricsServerTest, IdleAndTricklingConnectionsDoNotStarveScrapes) {
  std::vector<TcpSocket> held;
  for (std::size_t i = 0; i < kMaxMetricsConnections + 40; ++i) {
    auto socket = TcpSocket::Open();
    ASSERT_TRUE(socket);
    ASSERT_EQ(socket->Connect(*ParseDottedQuad("127.0.0.1"), port_, 2000), ConnectResult::kConnected);
    if (i % 2 == 1) {
      const std::string begun = "GET /metrics HTTP/1.1\r\nX-A: ";
      socket->Send(std::span(reinterpret_cast<const std::uint8_t*>(begun.data()), begun.size()));
    }
    held.push_back(std::move(*socket));
  }
  for (int i = 0; i < 5; ++i) {
    const auto exchange = test::HttpGet(port_, "/metrics");
    EXPECT_EQ(exchange.Status(), 200) << exchange.reply;
    EXPECT_TRUE(exchange.closedByServer);
  }
  // The first one opened was closed to make room: it reads the end at once.
  held.front().SetReceiveTimeout(2000);
  std::uint8_t byte = 0;
  EXPECT_EQ(held.front().Receive(std::span(&byte, 1)), 0);
}

TEST(MetricsServer, AnAddressInUseOrNotHereIsRefusedWithTheReason) {
  auto holder = TcpSocket::Open();
  ASSERT_TRUE(holder);
  ASSERT_TRUE(holder->Bind(*ParseDottedQuad("127.0.0.1"), 0));
  ASSERT_TRUE(holder->Listen(1));
  ProbeMetrics metrics("1");
  std::string whyNot;
  EXPECT_EQ(MetricsServer::Listen("127.0.0.1:" + std::to_string(holder->LocalPort()), Writer(metrics), whyNot),
            nullptr);
  EXPECT_NE(whyNot.find("Address already in use"), std::string::npos) << whyNot;
  whyNot.clear();
  // An address that no interface here holds (TEST-NET-1).
  EXPECT_EQ(MetricsServer::Listen("192.0.2.1:9", Writer(metrics), whyNot), nullptr);
  EXPECT_NE(whyNot.find("192.0.2.1:9"), std::string::npos) << whyNot;
}

}  // namespace
}  // namespace qnc
