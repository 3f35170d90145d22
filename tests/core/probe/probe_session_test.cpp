// A running session: all three workers measure their tables and stop together.
#include "core/probe/probe_session.h"

#include <gtest/gtest.h>

#include <chrono>

#include "core/probe/worker_harness.h"
#include "platform/hanging_lookup.h"
#include "platform/tcp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

TEST(ProbeSession, RunsTheThreeWorkersAndStopsThem) {
  const Ipv4NetOrder loopback = *ParseDottedQuad("127.0.0.1");
  auto listener = TcpSocket::Open();
  ASSERT_TRUE(listener && listener->Bind(loopback, 0) && listener->Listen(16));

  PerTable<test::PassWaiter> waiters;
  ProbeSessionOptions options;
  options.dns.initialServer = "127.0.0.1";
  options.dns.serverPort = listener->LocalPort();  // a TCP port: the UDP query gets no answer
  options.dns.replyTimeoutMs = 100;
  options.ping.replyTimeoutMs = 100;
  for (const TableKind kind : kAllTables) {
    options.Worker(kind).pauseMs = 10;
    options.Worker(kind).onPassEnd = waiters[kind].Callback();
  }
  ProbeSession session(options);
  session.AppendRows(TableKind::kDns, {"a.test"});
  session.AppendRows(TableKind::kGame, {"127.0.0.1:" + std::to_string(listener->LocalPort())});
  session.Start();
  EXPECT_EQ(session.Running(), 3u);
  for (const TableKind kind : kAllTables) EXPECT_TRUE(waiters[kind].WaitFor(2, 10s));
  EXPECT_TRUE(session.StopWithin(5s));
  EXPECT_EQ(session.Running(), 0u);

  EXPECT_EQ(session.DnsServer().Text(), "127.0.0.1");
  EXPECT_EQ(session.Table(TableKind::kDns).CellAt(0, cell::kLatency), "超时");
  EXPECT_TRUE(session.Table(TableKind::kGame).CellAt(0, cell::kLoss).starts_with(" 0.00%   [0("))
      << "every connect succeeded";
  // Each DNS look-up counted for the server the box named: all timed out.
  const std::vector<DnsServerHealth> servers = session.DnsServers().Servers();
  ASSERT_EQ(servers.size(), 1u);
  EXPECT_EQ(servers[0].server, "127.0.0.1");
  EXPECT_GE(servers[0].samples, 2u);
  EXPECT_EQ(servers[0].failed, servers[0].samples);
}

// A lookup that hangs holds the game worker in it and the ping worker at the
// resolver lock; a stop still ends all three long before the lookup would.
TEST(ProbeSession, StopsWhileANameLookupHangs) {
  test::HangingLookup lookup;
  ProbeSessionOptions options;
  options.lookup = lookup.Function();
  options.dns.initialServer = "127.0.0.1";
  options.dns.replyTimeoutMs = 100;
  for (const TableKind kind : kAllTables) options.Worker(kind).pauseMs = 10;
  ProbeSession session(options);
  session.AppendRows(TableKind::kPing, {"silent.test"});
  session.AppendRows(TableKind::kGame, {"silent.test:80"});
  session.Start();
  ASSERT_TRUE(lookup.WaitEntered(10s));

  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(session.StopWithin(5s)) << "the lookup hangs for 30 s";
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(session.Running(), 0u);
}

}  // namespace
}  // namespace qnc
