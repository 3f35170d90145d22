#include "core/probe/ping_worker.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <vector>

#include "core/probe/row_update.h"
#include "core/probe/table_store.h"
#include "core/probe/worker_harness.h"
#include "platform/icmp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

bool CanPing() {
  auto socket = IcmpSocket::Open();
  return socket.has_value();
}

class PingWorkerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!CanPing()) GTEST_SKIP() << "no ICMP socket here (needs root or CAP_NET_RAW)";
  }
  PingWorkerOptions Options(std::function<void(std::uint64_t)> extra = {}) {
    PingWorkerOptions options;
    options.pauseMs = 10;
    options.onPassEnd = waiter_.Callback(std::move(extra));
    return options;
  }
  TableStore table_{TableKind::kPing};
  ResetRequest reset_;
  HostResolver resolver_;
  test::PassWaiter waiter_;
};

TEST_F(PingWorkerTest, LoopbackAnswersAndOverlongNamesFail) {
  table_.InsertRow(0, "127.0.0.1");
  table_.InsertRow(1, std::string(300, 'a'));
  table_.InsertRow(2, "");
  PingWorker worker(table_, reset_, resolver_, Options());
  auto thread = test::StartWorker(worker);
  ASSERT_TRUE(waiter_.WaitFor(2, 10s));
  thread = {};
  EXPECT_NE(table_.CellAt(0, cell::kLatency), "超时");
  EXPECT_GE(std::stoi(table_.CellAt(0, cell::kLatency)), 1);
  EXPECT_EQ(table_.CellAt(0, cell::kQuality), "非常好");
  EXPECT_EQ(table_.CellAt(0, cell::kLoss), " 0.00%   [0(2)]");
  EXPECT_EQ(table_.CellAt(1, cell::kLatency), "超时");
  EXPECT_EQ(table_.CellAt(1, cell::kLoss), " 100.00%   [2(2)]");
  EXPECT_EQ(table_.CellAt(2, cell::kLatency), "");
}

// Watches the echo requests that reach 127.0.0.1 and keeps their identifier and sequence bytes.
class EchoRequestSniffer {
 public:
  EchoRequestSniffer() : socket_(IcmpSocket::Open()) {
    thread_ = std::jthread([this](std::stop_token stop) {
      std::uint8_t buffer[1500];
      while (!stop.stop_requested()) {
        auto got = socket_->Receive(buffer, 100, stop);
        if (!got || !got->includesIpHeader || got->length < 20) continue;
        const std::size_t header = static_cast<std::size_t>(buffer[0] & 0x0F) * 4;
        if (got->length < header + 45 || buffer[header] != 8) continue;
        std::lock_guard lock(mutex_);
        seen_.push_back({buffer[header + 4], buffer[header + 5], buffer[header + 6], buffer[header + 7]});
      }
    });
  }
  std::vector<std::vector<std::uint8_t>> Seen() {
    std::lock_guard lock(mutex_);
    return seen_;
  }

 private:
  std::optional<IcmpSocket> socket_;
  std::mutex mutex_;
  std::vector<std::vector<std::uint8_t>> seen_;
  std::jthread thread_;
};

TEST_F(PingWorkerTest, EchoCountersStartAtOneAndRestartWithTheResetRequest) {
  EchoRequestSniffer sniffer;
  if (IcmpSocket::Open()->GetKind() != IcmpSocket::Kind::kRaw) GTEST_SKIP() << "needs a raw socket to watch";
  table_.InsertRow(0, "127.0.0.1");
  PingWorker worker(table_, reset_, resolver_, Options([this](std::uint64_t pass) {
                      if (pass == 2) reset_.Raise();
                    }));
  auto thread = test::StartWorker(worker);
  ASSERT_TRUE(waiter_.WaitFor(3, 10s));
  thread = {};
  std::this_thread::sleep_for(200ms);  // let the sniffer read the last request
  const auto seen = sniffer.Seen();
  ASSERT_GE(seen.size(), 3u);
  using Bytes = std::vector<std::uint8_t>;
  EXPECT_EQ(seen[0], (Bytes{1, 0, 1, 0}));
  EXPECT_EQ(seen[1], (Bytes{2, 0, 2, 0}));
  EXPECT_EQ(seen[2], (Bytes{1, 0, 1, 0})) << "the reset restarts identifier and sequence at 1";
  EXPECT_EQ(table_.CellAt(0, cell::kLoss), " 0.00%   [0(1)]");
}

}  // namespace
}  // namespace qnc
