// Passes with many rows in flight, run in a network namespace of its own
// (silent_loopback.sh) where 127.1.0.0/16 never answers and 127.2.0.0/16
// cannot be reached.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "core/probe/dns_responder.h"
#include "core/probe/dns_worker.h"
#include "core/probe/game_worker.h"
#include "core/probe/ping_worker.h"
#include "core/probe/table_store.h"
#include "core/probe/worker_harness.h"
#include "platform/icmp_socket.h"
#include "platform/tcp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;
using test::ScriptedAnswer;

const Ipv4NetOrder kLoopback = *ParseDottedQuad("127.0.0.1");

// The n-th silent address: 127.1.x.y.
std::string SilentAddress(int n) { return "127.1." + std::to_string(n / 250) + "." + std::to_string(1 + n % 250); }

// How a row came out of a pass, leaving out the round trip itself.
struct RowResult {
  bool timedOut = false;
  std::string loss;
  std::optional<FailureReason> outcome;
  bool operator==(const RowResult&) const = default;
};

std::ostream& operator<<(std::ostream& out, const RowResult& row) {
  return out << (row.timedOut ? "超时 " : "answered ") << row.loss << " "
             << (row.outcome ? FailureLabel(*row.outcome) : "none");
}

const char* KindName(TableKind kind) {
  switch (kind) {
    case TableKind::kDns:
      return "dns";
    case TableKind::kPing:
      return "ping";
    case TableKind::kGame:
      return "game";
  }
  return "?";
}

std::vector<RowResult> Results(const TableStore& table) {
  std::vector<RowResult> results;
  for (int i = 0; i < table.RowCount(); ++i) {
    const auto statistics = table.Statistics(table.RowAt(i).id);
    results.push_back({table.CellAt(i, cell::kLatency) == "超时", table.CellAt(i, cell::kLoss),
                       statistics ? statistics->lastOutcome : std::nullopt});
  }
  return results;
}

// The three workers behind one face: a table kind and a way to run one pass.
struct Fixture {
  test::DnsResponder responder{kLoopback};
  std::optional<TcpSocket> listener = TcpSocket::Open();
  std::uint16_t closedPort = 0;
  // Names that the stand-in lookup says do not exist.
  HostResolver resolver{HostResolver::Options{
      .lookup = [](std::string_view) { return HostLookupResult::Failed(LookupError::kNoSuchName); }, .now = {}}};

  Fixture() {
    responder.Script("fast.test", {ScriptedAnswer::Kind::kAddress, test::Ipv4Data(10, 0, 0, 1), 0ms});
    responder.Script("nx.test", {ScriptedAnswer::Kind::kNameError, {}, 0ms});
    responder.Script("silent.test", {ScriptedAnswer::Kind::kSilent, {}, 0ms});
    responder.Script("strays.test", {ScriptedAnswer::Kind::kAddress, test::Ipv4Data(10, 0, 0, 2), 0ms, true});
    if (!listener || !listener->Bind(kLoopback, 0) || !listener->Listen(256)) throw std::runtime_error("no listener");
    auto closed = TcpSocket::Open();
    closed->Bind(kLoopback, 0);
    closedPort = closed->LocalPort();
  }
  std::string Live() const { return "127.0.0.1:" + std::to_string(listener->LocalPort()); }

  // Runs one pass over `table` with `parallel` probes and the given time-out;
  // returns how long it took.
  std::chrono::steady_clock::duration OnePass(TableStore& table, int parallel, int timeoutMs,
                                              std::uint16_t dnsPort = 0) {
    test::PassWaiter waiter;
    const auto configure = [&](WorkerOptions& options) {
      options.pauseMs = 60'000;
      options.parallelProbes = parallel;
      options.onPassEnd = waiter.Callback();
    };
    const auto start = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration took{};
    const auto run = [&](auto& worker) {
      auto thread = test::StartWorker(worker);
      EXPECT_TRUE(waiter.WaitFor(1, 30s));
      took = std::chrono::steady_clock::now() - start;
    };
    ResetRequest reset;
    switch (table.Kind()) {
      case TableKind::kPing: {
        PingWorkerOptions options;
        configure(options);
        options.replyTimeoutMs = timeoutMs;
        PingWorker worker(table, reset, resolver, options);
        run(worker);
        break;
      }
      case TableKind::kGame: {
        GameWorkerOptions options;
        configure(options);
        options.connectTimeoutMs = timeoutMs;
        GameWorker worker(table, resolver, options);
        run(worker);
        break;
      }
      case TableKind::kDns: {
        DnsWorkerOptions options;
        configure(options);
        options.replyTimeoutMs = timeoutMs;
        options.serverPort = dnsPort != 0 ? dnsPort : responder.Port();
        options.initialServer = "127.0.0.1";
        TextFieldStore server;
        DnsWorker worker(table, server, reset, options);
        run(worker);
        break;
      }
    }
    return took;
  }
};

class RowsInFlight : public ::testing::Test {
 protected:
  void SetUp() override {
    auto icmp = IcmpSocket::Open();
    if (!icmp) GTEST_SKIP() << "no ICMP socket in the namespace";
  }
  Fixture fixture_;
};

// 300 rows of which 285 never answer: with 16 probes sent at a time the pass
// waits about one time-out, not 285 / 16 of them.
TEST_F(RowsInFlight, ManySilentRowsCostAboutOneTimeOut) {
  constexpr int kTimeoutMs = 500;
  constexpr int kRows = 300;
  for (const TableKind kind : kAllTables) {
    SCOPED_TRACE(KindName(kind));
    TableStore table(kind);
    std::vector<bool> live;
    for (int i = 0; i < kRows; ++i) {
      const bool answers = i % 20 == 7;
      live.push_back(answers);
      switch (kind) {
        case TableKind::kPing:
          table.InsertRow(i, answers ? "127.0.0." + std::to_string(1 + i % 200) : SilentAddress(i));
          break;
        case TableKind::kGame:
          table.InsertRow(i, answers ? fixture_.Live() : SilentAddress(i) + ":80");
          break;
        case TableKind::kDns:
          table.InsertRow(i, answers ? "fast.test" : "silent.test");
          break;
      }
    }
    const auto took = fixture_.OnePass(table, 16, kTimeoutMs);
    EXPECT_LT(took, std::chrono::milliseconds(3 * kTimeoutMs)) << "one row after the other it takes 142 s";
    const auto results = Results(table);
    for (int i = 0; i < kRows; ++i) {
      EXPECT_EQ(results[i].timedOut, !live[i]) << i;
      EXPECT_EQ(results[i].outcome, live[i] ? FailureReason::kNone : FailureReason::kTimeout) << i;
    }
  }
}

// The same rows measured one after the other and many at once come out the
// same: answered, silent, refused, unreachable, a name that does not exist,
// a text that is no name, replies with strays around them.
TEST_F(RowsInFlight, ParallelPassesGiveTheSequentialResults) {
  const std::string refused = "127.0.0.1:" + std::to_string(fixture_.closedPort);
  struct Case {
    TableKind kind;
    std::vector<std::string> rows;
    std::uint16_t dnsPort = 0;
  };
  const std::vector<Case> cases = {
      {TableKind::kPing, {"127.0.0.1", SilentAddress(1), "127.2.0.1", "gone.test", "127.0.0.2", SilentAddress(2)}},
      {TableKind::kGame,
       {fixture_.Live(), refused, SilentAddress(3) + ":80", "127.2.0.1:80", "gone.test:80", fixture_.Live()}},
      {TableKind::kDns, {"fast.test", "nx.test", "silent.test", "a..b", "strays.test", "fast.test"}},
      // A server with nothing on its port refuses every query at once.
      {TableKind::kDns, {"fast.test", "nx.test"}, fixture_.closedPort},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(KindName(c.kind)) + " " + c.rows.front());
    TableStore sequential(c.kind);
    TableStore parallel(c.kind);
    for (const std::string& row : c.rows) {
      sequential.InsertRow(sequential.RowCount(), row);
      parallel.InsertRow(parallel.RowCount(), row);
    }
    fixture_.OnePass(sequential, 1, 300, c.dnsPort);
    fixture_.OnePass(parallel, 8, 300, c.dnsPort);
    const auto expected = Results(sequential);
    EXPECT_EQ(Results(parallel), expected);
    // The fixture is what it claims: each kind of row really is there.
    std::vector<FailureReason> outcomes;
    for (const RowResult& row : expected) outcomes.push_back(row.outcome.value_or(FailureReason::kLocalError));
    if (c.kind == TableKind::kDns && c.dnsPort != 0) {
      EXPECT_EQ(outcomes, (std::vector<FailureReason>{FailureReason::kRefused, FailureReason::kRefused}));
    } else if (c.kind == TableKind::kDns) {
      EXPECT_EQ(outcomes,
                (std::vector<FailureReason>{FailureReason::kNone, FailureReason::kNameNotFound, FailureReason::kTimeout,
                                            FailureReason::kBadName, FailureReason::kNone, FailureReason::kNone}));
    } else if (c.kind == TableKind::kPing) {
      EXPECT_EQ(outcomes, (std::vector<FailureReason>{FailureReason::kNone, FailureReason::kTimeout,
                                                      FailureReason::kUnreachable, FailureReason::kNameNotFound,
                                                      FailureReason::kNone, FailureReason::kTimeout}));
    } else {
      EXPECT_EQ(outcomes, (std::vector<FailureReason>{FailureReason::kNone, FailureReason::kRefused,
                                                      FailureReason::kTimeout, FailureReason::kUnreachable,
                                                      FailureReason::kNameNotFound, FailureReason::kNone}));
    }
  }
}

}  // namespace
}  // namespace qnc
