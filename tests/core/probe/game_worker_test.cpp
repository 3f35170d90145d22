#include "core/probe/game_worker.h"

#include <gtest/gtest.h>

#include <chrono>

#include "core/probe/table_store.h"
#include "core/probe/worker_harness.h"
#include "platform/tcp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

const Ipv4NetOrder kLoopback = *ParseDottedQuad("127.0.0.1");

// A port on 127.0.0.1 that nothing listens on: bound once, then released.
std::uint16_t ClosedPort() {
  auto socket = TcpSocket::Open();
  socket->Bind(kLoopback, 0);
  return socket->LocalPort();
}

TEST(GameWorker, OpenPortClosedPortAndDescriptions) {
  auto listener = TcpSocket::Open();
  ASSERT_TRUE(listener && listener->Bind(kLoopback, 0) && listener->Listen(16));
  const std::string open = "127.0.0.1:" + std::to_string(listener->LocalPort());
  const std::string closed = "127.0.0.1:" + std::to_string(ClosedPort());

  TableStore table(TableKind::kGame);
  table.SetCellAt(0, 0, "ignored: no row yet");
  table.InsertRow(0, open);
  table.SetCellAt(0, cell::kGameDescription, "本机");
  table.InsertRow(1, closed);
  table.InsertRow(2, std::string(300, 'h') + ":80");

  HostResolver resolver;
  test::PassWaiter waiter;
  GameWorkerOptions options;
  options.pauseMs = 10;
  options.onPassEnd = waiter.Callback();
  GameWorker worker(table, resolver, options);
  auto thread = test::StartWorker(worker);
  ASSERT_TRUE(waiter.WaitFor(2, 10s));
  thread = {};

  EXPECT_NE(table.CellAt(0, cell::kLatency), "超时");
  EXPECT_EQ(table.CellAt(0, cell::kLoss), " 0.00%   [0(2)]");
  EXPECT_EQ(table.CellAt(0, cell::kGameDescription), "本机");
  EXPECT_EQ(table.CellAt(1, cell::kLatency), "超时");
  EXPECT_EQ(table.CellAt(1, cell::kQuality), "差");
  EXPECT_EQ(table.CellAt(1, cell::kLoss), " 100.00%   [2(2)]");
  EXPECT_EQ(table.CellAt(2, cell::kLatency), "超时");
  EXPECT_EQ(table.CellAt(1, cell::kGameDescription), "");
}

}  // namespace
}  // namespace qnc
