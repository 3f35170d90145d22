#include "core/probe/dns_worker.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "core/probe/dns_responder.h"
#include "core/probe/table_store.h"
#include "core/probe/worker_harness.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;
using test::Ipv4Data;
using test::ScriptedAnswer;

class DnsWorkerTest : public ::testing::Test {
 protected:
  DnsWorkerTest() {
    responder_.Script("fast.test", {ScriptedAnswer::Kind::kAddress, Ipv4Data(10, 0, 0, 1), 0ms});
    responder_.Script("slow.test", {ScriptedAnswer::Kind::kAddress, Ipv4Data(10, 0, 0, 2), 150ms});
    responder_.Script("nx.test", {ScriptedAnswer::Kind::kNameError, {}, 0ms});
    responder_.Script("silent.test", {ScriptedAnswer::Kind::kSilent, {}, 0ms});
    std::ofstream(resolvConf_) << "nameserver 127.0.0.1\n";
  }
  ~DnsWorkerTest() override { std::filesystem::remove(resolvConf_); }

  DnsWorkerOptions Options() {
    DnsWorkerOptions options;
    options.serverPort = responder_.Port();
    options.resolvConfPath = resolvConf_;
    options.resolvedUpstreamPath = resolvConf_ + ".none";
    options.pauseMs = 10;
    options.onPassEnd = waiter_.Callback();
    return options;
  }

  void AddRows(std::initializer_list<const char*> domains) {
    for (const char* domain : domains) table_.InsertRow(table_.RowCount(), domain);
  }

  test::DnsResponder responder_{*ParseDottedQuad("127.0.0.1")};
  std::string resolvConf_ =
      (std::filesystem::temp_directory_path() / ("qnc-resolv-" + std::to_string(::getpid()) + ".conf")).string();
  TableStore table_{TableKind::kDns};
  TextFieldStore server_;
  ResetRequest reset_;
  test::PassWaiter waiter_;
};

TEST_F(DnsWorkerTest, AnswersNameErrorsAndEmptyRows) {
  AddRows({"fast.test", "slow.test", "nx.test", ""});
  table_.SetCellAt(0, cell::kLatency, "40");  // placeholders are overwritten
  DnsWorker worker(table_, server_, reset_, Options());
  auto thread = test::StartWorker(worker);
  // A name error ends its probe at once: the pass is far shorter than the 5 s reply time-out.
  ASSERT_TRUE(waiter_.WaitFor(1, 4s));
  thread = {};

  EXPECT_EQ(server_.Text(), "127.0.0.1");
  EXPECT_EQ(table_.CellAt(0, cell::kDnsAddress), "10.0.0.1");
  EXPECT_EQ(table_.CellAt(0, cell::kLoss), "0.00%   [0(1)]");
  EXPECT_NE(table_.CellAt(0, cell::kLatency), "40");
  EXPECT_EQ(table_.CellAt(1, cell::kDnsAddress), "10.0.0.2");
  EXPECT_GE(std::stoi(table_.CellAt(1, cell::kLatency)), 150);
  EXPECT_EQ(table_.CellAt(2, cell::kLatency), "超时");
  EXPECT_EQ(table_.CellAt(2, cell::kDnsQuality), "差");
  EXPECT_EQ(table_.CellAt(2, cell::kLoss), "100.00%   [1(1)]");
  EXPECT_EQ(table_.CellAt(2, cell::kDnsAddress), "");
  EXPECT_EQ(table_.Snapshot()[3], (std::vector<std::string>{"", "", "", "", "", ""}));
}

TEST_F(DnsWorkerTest, SilentServerTimesOutAfterFiveSeconds) {
  AddRows({"silent.test"});
  DnsWorker worker(table_, server_, reset_, Options());
  const auto start = std::chrono::steady_clock::now();
  auto thread = test::StartWorker(worker);
  ASSERT_TRUE(waiter_.WaitFor(1, 10s));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 4900ms);
  thread = {};
  EXPECT_EQ(table_.CellAt(0, cell::kLatency), "超时");
  EXPECT_EQ(table_.CellAt(0, cell::kLoss), "100.00%   [1(1)]");
}

TEST_F(DnsWorkerTest, NewServerAddressTakesEffectAtTheNextRow) {
  test::DnsResponder second(*ParseDottedQuad("127.0.0.2"), responder_.Port());
  second.Script("two.test", {ScriptedAnswer::Kind::kAddress, Ipv4Data(10, 0, 0, 22), 0ms});
  responder_.Script("one.test", {ScriptedAnswer::Kind::kAddress, Ipv4Data(10, 0, 0, 11), 0ms});
  responder_.OnQuery([this](const std::string& name) {
    if (name == "one.test") server_.SetText("127.0.0.2");
  });
  AddRows({"one.test", "two.test"});
  DnsWorker worker(table_, server_, reset_, Options());
  auto thread = test::StartWorker(worker);
  ASSERT_TRUE(waiter_.WaitFor(1, 4s));
  thread = {};
  EXPECT_EQ(table_.CellAt(0, cell::kDnsAddress), "10.0.0.11");
  EXPECT_EQ(table_.CellAt(1, cell::kDnsAddress), "10.0.0.22");
  EXPECT_EQ(second.QueriesSeen(), 1);
}

// Typing another server goes through texts that are no address: none of them
// is queried (no row waits out a time-out for it) and the counters of the old
// server stay; the new whole address restarts them once, and only then.
TEST_F(DnsWorkerTest, NothingIsAskedUntilTheBoxNamesAWholeAddressThenCountersRestartOnce) {
  test::DnsResponder second(*ParseDottedQuad("127.0.0.2"), responder_.Port());
  second.Script("fast.test", {ScriptedAnswer::Kind::kAddress, Ipv4Data(10, 0, 0, 22), 0ms});
  AddRows({"fast.test"});
  // Box texts set at the end of each pass, from pass 2 on.
  const std::vector<std::string> typed{"1",          "127.0.0",     "127.0.0.",  "abc",      "",
                                       "127.0.0.2.", "127.0.0.256", "127.0.0.2", "127.0.0.2"};
  std::vector<std::string> lossAfterPass;
  auto options = Options();
  options.onPassEnd = waiter_.Callback([&](std::uint64_t pass) {
    lossAfterPass.push_back(table_.CellAt(0, cell::kLoss));
    if (pass >= 2 && pass - 2 < typed.size()) server_.SetText(typed[pass - 2]);
  });
  DnsWorker worker(table_, server_, reset_, options);
  auto thread = test::StartWorker(worker);
  // Without the waits on half-typed servers all passes take well under the
  // 5 s that a single such wait would.
  ASSERT_TRUE(waiter_.WaitFor(2 + typed.size(), 4s));
  thread = {};

  EXPECT_EQ(responder_.QueriesSeen(), 2);
  EXPECT_EQ(second.QueriesSeen(), 2);
  const std::string two = "0.00%   [0(2)]";
  const std::string one = "0.00%   [0(1)]";
  ASSERT_GE(lossAfterPass.size(), 2 + typed.size());
  // Passes 1 and 2 at the first server; 3 to 9 on texts that name none; 10
  // at the new server, from zero; 11 at it again, without a second restart.
  EXPECT_EQ(std::vector<std::string>(lossAfterPass.begin(), lossAfterPass.begin() + 11),
            (std::vector<std::string>{one, two, two, two, two, two, two, two, two, one, two}));
  EXPECT_EQ(table_.CellAt(0, cell::kDnsAddress), "10.0.0.22");
  EXPECT_NE(table_.CellAt(0, cell::kLatency), "超时");
}

TEST(DnsServerAddress, OnlyAWholeDottedAddressNamesAServer) {
  for (const char* text : {"", "1", "10.77.0", "10.77.0.", "abc", "10.77.0.1.", "10.77.0.256", " 10.77.0.1",
                           "10.77.0.1 ", "10.77.0.x", "0x0a.1.1.1"}) {
    EXPECT_FALSE(DnsServerAddress(text)) << text;
  }
  EXPECT_EQ(DnsServerAddress("10.77.0.1"), ParseDottedQuad("10.77.0.1"));
  EXPECT_EQ(DnsServerAddress("255.255.255.255"), kAllOnesAddress);
}

TEST_F(DnsWorkerTest, ResetRequestRestartsTheCountersAtTheNextPass) {
  AddRows({"fast.test", "nx.test"});
  auto options = Options();
  options.onPassEnd = waiter_.Callback([this](std::uint64_t pass) {
    if (pass == 2) reset_.Raise();
  });
  DnsWorker worker(table_, server_, reset_, options);
  auto thread = test::StartWorker(worker);
  ASSERT_TRUE(waiter_.WaitFor(3, 4s));
  thread = {};
  // Pass 3 started from zero, so the rows show a single probe each.
  EXPECT_EQ(table_.CellAt(0, cell::kLoss), "0.00%   [0(1)]");
  EXPECT_EQ(table_.CellAt(1, cell::kLoss), "100.00%   [1(1)]");
  EXPECT_TRUE(reset_.ConsumePing()) << "the ping worker's mark stays raised";
}

TEST_F(DnsWorkerTest, ResultOfADeletedRowIsDropped) {
  responder_.Script("slow.test", {ScriptedAnswer::Kind::kAddress, Ipv4Data(10, 0, 0, 2), 100ms});
  responder_.Script("b.test", {ScriptedAnswer::Kind::kAddress, Ipv4Data(10, 0, 0, 3), 0ms});
  AddRows({"slow.test", "b.test"});
  // The user deletes the row while its query is under way.
  responder_.OnQuery([this](const std::string& name) {
    if (name == "slow.test") table_.DeleteRow(0);
  });
  DnsWorker worker(table_, server_, reset_, Options());
  auto thread = test::StartWorker(worker);
  // In the first pass the row that moved up is past the count read at its start;
  // the second pass probes it once.
  ASSERT_TRUE(waiter_.WaitFor(2, 4s));
  thread = {};
  ASSERT_EQ(table_.RowCount(), 1);
  EXPECT_EQ(table_.CellAt(0, cell::kTarget), "b.test");
  EXPECT_EQ(table_.CellAt(0, cell::kDnsAddress), "10.0.0.3");
  EXPECT_EQ(table_.RowAt(0).counters->answered.load(), 1u);
  EXPECT_EQ(table_.CellAt(0, cell::kLoss), "0.00%   [0(1)]");
}

TEST_F(DnsWorkerTest, StopEndsASilentQueryPromptly) {
  AddRows({"silent.test"});
  DnsWorker worker(table_, server_, reset_, Options());
  auto thread = test::StartWorker(worker);
  while (responder_.QueriesSeen() == 0) std::this_thread::sleep_for(5ms);
  const auto start = std::chrono::steady_clock::now();
  thread = {};  // requests stop and joins
  EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
  EXPECT_EQ(table_.CellAt(0, cell::kLatency), "") << "a stopped probe records nothing";
}

// With parallel probes the silent rows wait their time-outs side by side; the
// other rows still get their answers.
TEST_F(DnsWorkerTest, ParallelProbesWaitOutSilentRowsTogether) {
  AddRows({"silent.test", "silent.test", "silent.test", "silent.test", "fast.test", "nx.test"});
  DnsWorkerOptions options = Options();
  options.replyTimeoutMs = 400;
  options.parallelProbes = 6;
  DnsWorker worker(table_, server_, reset_, options);
  const auto start = std::chrono::steady_clock::now();
  auto thread = test::StartWorker(worker);
  ASSERT_TRUE(waiter_.WaitFor(1, 10s));
  const auto pass = std::chrono::steady_clock::now() - start;
  thread = {};
  EXPECT_LT(pass, 1200ms) << "one after the other the silent rows take 1.6 s";
  for (int row = 0; row < 4; ++row) EXPECT_EQ(table_.CellAt(row, cell::kLatency), "超时") << row;
  EXPECT_EQ(table_.CellAt(4, cell::kDnsAddress), "10.0.0.1");
  EXPECT_EQ(table_.CellAt(5, cell::kLatency), "超时");
  EXPECT_EQ(table_.Statistics(table_.RowAt(5).id)->lastOutcome, FailureReason::kNameNotFound);
}

}  // namespace
}  // namespace qnc
