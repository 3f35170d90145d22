// quorix-probe run as a user runs it: the program itself, with --json, against
// a DNS responder, the loopback address and local TCP ports. Every build of the
// program (the Windows one runs under Wine) meets the same expectations, so the
// bytes on the wire and the printed cells are the same on each.
#include <gtest/gtest.h>

#include <mutex>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/app/program_output.h"
#include "core/probe/dns_wire.h"
#include "core/probe/icmp_probe.h"
#include "platform/icmp_socket.h"
#include "platform/tcp_socket.h"
#include "platform/udp_socket.h"

namespace qnc {
namespace {

using test::Bytes;

const Ipv4NetOrder kLoopback = *ParseDottedQuad("127.0.0.1");

// Records every message a socket receives and keeps the ones `keep` accepts.
class Capture {
 public:
  std::vector<Bytes> Messages() const {
    std::lock_guard lock(mutex_);
    return messages_;
  }

 protected:
  void Keep(Bytes message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(std::move(message));
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Bytes> messages_;
};

// A DNS server on 127.0.0.1 that answers every A query with 10.9.8.7 and keeps the queries' bytes.
class RecordingDnsServer : public Capture {
 public:
  RecordingDnsServer() : socket_(UdpSocket::Open()) {
    if (!socket_ || !socket_->Bind(kLoopback, 0)) return;
    thread_ = std::jthread([this](std::stop_token stop) {
      std::uint8_t buffer[1500];
      while (!stop.stop_requested()) {
        const auto query = socket_->ReceiveFrom(buffer, 100, stop);
        if (!query || query->length < 12) continue;
        Keep(Bytes(buffer, buffer + query->length));
        const auto id = static_cast<std::uint16_t>((buffer[0] << 8) | buffer[1]);
        const std::string name = test::QueryName(buffer, query->length);
        socket_->SendTo(query->from, query->fromPort,
                        test::Reply(id, name, {test::Record{test::Pointer(12), 1, 1, test::Ipv4Data(10, 9, 8, 7)}}));
      }
    });
  }
  bool Ready() const { return thread_.joinable(); }
  std::uint16_t Port() const { return socket_->LocalPort(); }

 private:
  std::optional<UdpSocket> socket_;
  std::jthread thread_;
};

// Echo requests to 127.0.0.1, as a raw socket on loopback sees them leave (ICMP part only).
class EchoRequestCapture : public Capture {
 public:
  EchoRequestCapture() : socket_(IcmpSocket::Open(&whyNot_)) {
    if (!socket_) return;
    thread_ = std::jthread([this](std::stop_token stop) {
      std::uint8_t buffer[1500];
      while (!stop.stop_requested()) {
        const auto message = socket_->Receive(buffer, 100, stop);
        if (!message || !message->includesIpHeader || message->length < 20) continue;
        const std::size_t headerLength = static_cast<std::size_t>(buffer[0] & 0x0F) * 4;
        if (message->length <= headerLength || buffer[headerLength] != 8) continue;  // echo requests only
        Keep(Bytes(buffer + headerLength, buffer + message->length));
      }
    });
  }
  bool Ready() const { return thread_.joinable(); }
  const std::string& WhyNot() const { return whyNot_; }

 private:
  std::string whyNot_;
  std::optional<IcmpSocket> socket_;
  std::jthread thread_;
};

std::vector<std::string> LinesWith(const std::string& text, const std::string& part) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.find(part) != std::string::npos) lines.push_back(line);
  }
  return lines;
}

// The query of every pass: id 1 (the one row is the pass's first query), recursion desired, one question for
// fast.test, type A, class IN.
const Bytes kQuery = {0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 4,   'f',
                      'a',  's',  't',  4,    't',  'e',  's',  't',  0,    0x00, 0x01, 0x00, 0x01};

TEST(ProbeProgram, JsonRunOnLoopbackShowsTheSameCellsAndSendsTheSameBytes) {
  RecordingDnsServer dns;
  ASSERT_TRUE(dns.Ready()) << "cannot bind a UDP socket on 127.0.0.1";
  EchoRequestCapture echoes;
  ASSERT_TRUE(echoes.Ready()) << echoes.WhyNot();
  auto open = TcpSocket::Open();
  ASSERT_TRUE(open && open->Bind(kLoopback, 0) && open->Listen(8));
  std::uint16_t closedPort = 0;
  {
    auto closed = TcpSocket::Open();
    ASSERT_TRUE(closed && closed->Bind(kLoopback, 0));
    closedPort = closed->LocalPort();
  }  // nothing listens there any more: every connection is refused

  const std::string command = std::string(QNC_PROBE_PROGRAM) + " --json --passes 2 --dns fast.test --dns-server " +
                              "127.0.0.1 --dns-port " + std::to_string(dns.Port()) + " --ping 127.0.0.1 --game " +
                              "127.0.0.1:" + std::to_string(open->LocalPort()) +
                              " --game 127.0.0.1:" + std::to_string(closedPort);
  const test::ProgramOutput run = test::RunCommand(command);
  ASSERT_EQ(run.status, 0) << command << "\n" << run.out;

  // The last pass of each table, cell by cell.
  const auto dnsLines = LinesWith(run.out, "{\"table\":\"dns\",\"pass\":2,");
  ASSERT_EQ(dnsLines.size(), 1u) << run.out;
  EXPECT_NE(dnsLines[0].find("\"server\":\"127.0.0.1\",\"rows\":[{\"target\":\"fast.test\",\"latency\":\""),
            std::string::npos)
      << dnsLines[0];
  EXPECT_NE(dnsLines[0].find("\"loss\":\"0.00%   [0(2)]\",\"address\":\"10.9.8.7\""), std::string::npos) << dnsLines[0];

  const auto pingLines = LinesWith(run.out, "{\"table\":\"ping\",\"pass\":2,");
  ASSERT_EQ(pingLines.size(), 1u) << run.out;
  EXPECT_NE(pingLines[0].find("{\"target\":\"127.0.0.1\",\"latency\":\""), std::string::npos) << pingLines[0];
  EXPECT_NE(pingLines[0].find("\"loss\":\" 0.00%   [0(2)]\""), std::string::npos) << pingLines[0];

  const auto gameLines = LinesWith(run.out, "{\"table\":\"game\",\"pass\":2,");
  ASSERT_EQ(gameLines.size(), 1u) << run.out;
  EXPECT_NE(gameLines[0].find("\"loss\":\" 0.00%   [0(2)]\""), std::string::npos) << gameLines[0];
  EXPECT_NE(gameLines[0].find("{\"target\":\"127.0.0.1:" + std::to_string(closedPort) +
                              "\",\"latency\":\"超时\",\"average\":\"0\",\"loss\":\" 100.00%   [2(2)]\",\"quality\":"
                              "\"差\""),
            std::string::npos)
      << gameLines[0];

  // The wire: the DNS queries byte for byte, the echo requests as the probe builds them.
  const auto queries = dns.Messages();
  ASSERT_EQ(queries.size(), 2u);
  EXPECT_EQ(queries[0], kQuery);
  EXPECT_EQ(queries[1], kQuery);

  const auto requests = echoes.Messages();
  ASSERT_EQ(requests.size(), 2u);
  for (std::uint16_t n = 1; n <= 2; ++n) {
    const Bytes& request = requests[n - 1u];
    ASSERT_EQ(request.size(), kEchoPacketSize);
    // The send time in bytes 9..12 is the only part that differs between runs.
    const std::uint32_t stamp = static_cast<std::uint32_t>(request[9] | (request[10] << 8) | (request[11] << 16)) |
                                (static_cast<std::uint32_t>(request[12]) << 24);
    const IcmpEchoPacket expected = BuildEchoRequest(n, n, stamp);
    EXPECT_EQ(request, Bytes(expected.begin(), expected.end())) << "request " << n;
  }
}

}  // namespace
}  // namespace qnc
