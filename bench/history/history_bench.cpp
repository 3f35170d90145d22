// Figures of the row history, printed, not judged:
//  - the time one row's statistics take over a full history (3,600 samples),
//    alone and with the copy out of the row;
//  - what an open details window asks of its row's model each second over a
//    full history: taking a new sample (with the statistics and the chart's
//    scale worked out again), the chart's columns for a plot of 735 x 230
//    pixels, and the statistics and failure rows;
//  - the memory that 3 tables x 100 rows of full histories add to a process;
//  - the round trip the DNS table records beside the time a responder on
//    127.0.0.1 really held each answer back (asked for 0, 5, 20 and 50 ms; a
//    sleep overshoots, so the held time is measured at the responder). The
//    difference is the error of the recorded figure plus the loopback
//    transit (the error should stay within 0.3 ms).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/history/row_details_model.h"
#include "core/probe/dns_responder.h"
#include "core/probe/probe_session.h"
#include "core/probe/row_statistics.h"
#include "core/probe/row_update.h"
#include "core/probe/worker_harness.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A field of /proc/self/status in kB ("VmRSS", "VmHWM"); -1 when unreadable.
long StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind(field + ":", 0) == 0) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

std::vector<qnc::Sample> RandomSamples(std::size_t count, std::mt19937& random) {
  std::lognormal_distribution<double> trip(std::log(20'000.0), 0.5);  // around 20 ms
  std::uniform_int_distribution<int> percent(0, 99);
  std::vector<qnc::Sample> samples;
  const auto now = std::chrono::system_clock::now();
  for (std::size_t i = 0; i < count; ++i) {
    const bool lost = percent(random) < 3;
    samples.push_back(qnc::Sample{now + std::chrono::seconds(i), static_cast<std::uint32_t>(trip(random)),
                                  lost ? qnc::FailureReason::kTimeout : qnc::FailureReason::kNone});
  }
  return samples;
}

void StatisticsCost() {
  std::mt19937 random(7);
  const auto samples = RandomSamples(qnc::SampleRing::kDefaultCapacity, random);
  qnc::TableStore table(qnc::TableKind::kPing);
  const qnc::RowId id = table.InsertRow(0, "bench");
  for (const auto& sample : samples) qnc::RecordSample(table, table.RowAt(0), "bench", sample, {});

  constexpr int kRounds = 2000;
  double sink = 0;
  auto start = Clock::now();
  for (int i = 0; i < kRounds; ++i) sink += qnc::ComputeRowStatistics(samples).p99Ms.value_or(0);
  const double alone = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kRounds;
  start = Clock::now();
  for (int i = 0; i < kRounds; ++i) sink += table.Statistics(id)->p99Ms.value_or(0);
  const double withCopy = std::chrono::duration<double, std::micro>(Clock::now() - start).count() / kRounds;
  std::printf(
      "statistics of one row, %zu samples: %.1f us computed, %.1f us with the copy out of the row"
      " (checksum %.0f)\n",
      samples.size(), alone, withCopy, sink);
}

// Microseconds per call of `work`, over `rounds` calls.
template <typename Work>
double MicrosecondsPerCall(int rounds, Work&& work) {
  const auto start = Clock::now();
  for (int i = 0; i < rounds; ++i) work();
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / rounds;
}

void DetailsModelCost() {
  std::mt19937 random(5);
  auto ring = std::make_shared<qnc::SampleRing>();
  const auto samples = RandomSamples(qnc::SampleRing::kDefaultCapacity * 2, random);
  std::size_t next = 0;
  for (; next < qnc::SampleRing::kDefaultCapacity; ++next) ring->Append(samples[next]);
  qnc::RowDetailsModel model(qnc::TableKind::kPing, "bench", ring);
  const double first = MicrosecondsPerCall(1, [&] { model.Follow(); });

  constexpr int kRounds = 500;
  std::size_t sink = 0;
  const double follow = MicrosecondsPerCall(kRounds, [&] {
    ring->Append(samples[next++]);
    sink += model.Follow() ? 1 : 0;
  });
  const double chart = MicrosecondsPerCall(kRounds, [&] { sink += model.Chart(735, 230).columns.size(); });
  const double rows =
      MicrosecondsPerCall(kRounds, [&] { sink += model.StatisticRows().size() + model.RecentFailures().size(); });
  std::printf(
      "details model of one row, %zu samples: first look %.0f us; each new sample %.0f us (copy, statistics,"
      " scale); chart columns for 735 x 230 px %.0f us; statistics and failure rows %.0f us (checksum %zu)\n",
      model.Samples().size(), first, follow, chart, rows, sink);
}

void MemoryOfFullHistories() {
  const long before = StatusKb("VmRSS");
  qnc::ProbeSession session;
  std::mt19937 random(11);
  const auto samples = RandomSamples(qnc::SampleRing::kDefaultCapacity, random);
  for (const qnc::TableKind kind : qnc::kAllTables) {
    for (int row = 0; row < 100; ++row) session.AppendRow(kind, "host" + std::to_string(row) + ".bench");
    auto& table = session.Table(kind);
    for (int row = 0; row < 100; ++row) {
      for (const auto& sample : samples) qnc::RecordSample(table, table.RowAt(row), "", sample, {});
    }
  }
  const long after = StatusKb("VmRSS");
  std::printf(
      "3 tables x 100 rows x %zu samples (%zu bytes each): resident %.1f MB -> %.1f MB (+%.1f MB),"
      " peak %.1f MB\n",
      qnc::SampleRing::kDefaultCapacity, sizeof(qnc::Sample), before / 1024.0, after / 1024.0,
      (after - before) / 1024.0, StatusKb("VmHWM") / 1024.0);
}

void RoundTripAccuracy() {
  qnc::test::DnsResponder responder(*qnc::ParseDottedQuad("127.0.0.1"));
  constexpr int kProbes = 40;
  std::printf("recorded DNS round trip minus the responder's measured hold, %d probes each (ms):\n", kProbes);
  for (const int delay : {0, 5, 20, 50}) {
    const std::string name = "d" + std::to_string(delay) + ".bench";
    responder.Script(name, {qnc::test::ScriptedAnswer::Kind::kAddress, qnc::test::Ipv4Data(10, 0, 0, 1),
                            std::chrono::milliseconds(delay)});
    qnc::TableStore table(qnc::TableKind::kDns);
    table.InsertRow(0, name);
    qnc::TextFieldStore server;
    qnc::ResetRequest reset;
    qnc::test::PassWaiter waiter;
    qnc::DnsWorkerOptions options;
    options.initialServer = "127.0.0.1";
    options.serverPort = responder.Port();
    options.pauseMs = 5;
    options.onPassEnd = waiter.Callback();
    qnc::DnsWorker worker(table, server, reset, options);
    responder.ClearHolds();
    {
      auto thread = qnc::test::StartWorker(worker);
      waiter.WaitFor(kProbes, 60s);
    }
    // Answers and holds pair up in order: every query on loopback is
    // answered, and a last reply after the worker stopped has no sample.
    const auto holds = responder.Holds();
    const auto samples = table.History(table.RowAt(0).id)->Samples();
    std::vector<double> errors;
    for (std::size_t i = 0; i < samples.size() && i < holds.size(); ++i) {
      if (!samples[i].Answered()) continue;
      errors.push_back(samples[i].RoundTripMs() - std::chrono::duration<double, std::milli>(holds[i]).count());
    }
    if (errors.empty()) {
      std::printf("  +%2d ms: no answers\n", delay);
      continue;
    }
    std::sort(errors.begin(), errors.end());
    std::printf("  +%2d ms: error median %+.3f, p95 %+.3f, worst %+.3f (shown cell %s)\n", delay,
                errors[errors.size() / 2], errors[errors.size() * 95 / 100], errors.back(),
                table.CellAt(0, qnc::cell::kLatency).c_str());
  }
}

}  // namespace

int main() {
  StatisticsCost();
  DetailsModelCost();
  MemoryOfFullHistories();
  RoundTripAccuracy();
  return 0;
}
