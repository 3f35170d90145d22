#include "cli/metrics/probe_metrics.h"

#include <gtest/gtest.h>
#include <prometheus/text_serializer.h>

#include <algorithm>
#include <atomic>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace qnc {
namespace {

using namespace std::chrono_literals;

// What a scrape gets.
std::string Scrape(const ProbeMetrics& metrics) {
  std::string out;
  metrics.WriteText(out);
  return out;
}

std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

bool Has(const std::string& text, const std::string& line) { return text.find(line) != std::string::npos; }

ProbeRecord Answered(std::chrono::microseconds roundTrip, std::chrono::system_clock::time_point time = {}) {
  return {"ok", roundTrip, time};
}

ProbeRecord Failed(std::string_view result) { return {result, {}, {}}; }

TEST(ProbeMetrics, RowsGetTheirSeriesWithTableTargetServerAndGatewayLabels) {
  ProbeMetrics metrics("9.8.7");
  metrics.SetGateway("10.0.0.1");
  metrics.SetRows(TableKind::kPing, {"127.0.0.1", "10.0.0.1", ""});
  metrics.SetRows(TableKind::kGame, {"127.0.0.1:80"});
  metrics.SetRows(TableKind::kDns, {"a.example"});
  std::string text = Scrape(metrics);
  EXPECT_TRUE(Has(text, "quorix_probe_build_info{version=\"9.8.7\"} 1\n")) << text;
  // Every outcome counter is there from the start, at zero.
  for (const std::string_view result : kProbeResults) {
    EXPECT_TRUE(Has(text, "quorix_probe_probes_total{result=\"" + std::string(result) +
                              "\",table=\"game\",target=\"127.0.0.1:80\"} 0\n"))
        << result;
  }
  EXPECT_TRUE(
      Has(text, "quorix_probe_round_trip_seconds_count{role=\"gateway\",table=\"ping\",target=\"10.0.0.1\"} 0"));
  EXPECT_TRUE(Has(text, "quorix_probe_round_trip_seconds_count{table=\"ping\",target=\"127.0.0.1\"} 0"));
  EXPECT_FALSE(Has(text, "target=\"\"")) << "a row without a target is not measured";
  // The DNS rows wait for their server, which the first DNS probe names.
  EXPECT_FALSE(Has(text, "table=\"dns\""));
  metrics.Record(TableKind::kDns, "a.example", "192.0.2.53", Answered(12ms));
  text = Scrape(metrics);
  EXPECT_TRUE(Has(text,
                  "quorix_probe_probes_total{result=\"ok\",server=\"192.0.2.53\",table=\"dns\","
                  "target=\"a.example\"} 1\n"))
      << text;

  // A new gateway moves the role label to its row.
  metrics.SetGateway("127.0.0.1");
  text = Scrape(metrics);
  EXPECT_TRUE(Has(text, "quorix_probe_round_trip_seconds_count{role=\"gateway\",table=\"ping\",target=\"127.0.0.1\"}"));
  EXPECT_TRUE(Has(text, "quorix_probe_round_trip_seconds_count{table=\"ping\",target=\"10.0.0.1\"}"));
  EXPECT_FALSE(Has(text, "role=\"gateway\",table=\"ping\",target=\"10.0.0.1\""));
}

TEST(ProbeMetrics, AnswersFillTheHistogramAndFailuresHideTheLatestRoundTrip) {
  ProbeMetrics metrics("1");
  metrics.SetRows(TableKind::kPing, {"h"});
  const auto when = std::chrono::system_clock::time_point(1'700'000'000s + 250ms);
  metrics.Record(TableKind::kPing, "h", "", Answered(4ms));
  metrics.Record(TableKind::kPing, "h", "", Answered(30ms, when));
  std::string text = Scrape(metrics);
  const std::string row = "table=\"ping\",target=\"h\"";
  EXPECT_TRUE(Has(text, "quorix_probe_last_round_trip_seconds{" + row + "} 0.03\n")) << text;
  EXPECT_TRUE(Has(text, "quorix_probe_last_success_timestamp_seconds{" + row + "} 1700000000.25\n")) << text;
  EXPECT_TRUE(Has(text, "quorix_probe_round_trip_seconds_bucket{" + row + ",le=\"0.005\"} 1\n"));
  EXPECT_TRUE(Has(text, "quorix_probe_round_trip_seconds_bucket{" + row + ",le=\"0.02\"} 1\n"));
  EXPECT_TRUE(Has(text, "quorix_probe_round_trip_seconds_bucket{" + row + ",le=\"0.035\"} 2\n"));
  EXPECT_TRUE(Has(text, "quorix_probe_round_trip_seconds_bucket{" + row + ",le=\"+Inf\"} 2\n"));
  EXPECT_TRUE(Has(text, "quorix_probe_round_trip_seconds_sum{" + row + "} 0.034\n"));

  // A failure counts under its reason, leaves the histogram and the time of the
  // last answer alone, and the latest round trip is gone until the next answer.
  metrics.Record(TableKind::kPing, "h", "", Failed("unreachable"));
  metrics.Record(TableKind::kPing, "h", "", Failed("something new"));
  text = Scrape(metrics);
  EXPECT_FALSE(Has(text, "quorix_probe_last_round_trip_seconds{")) << text;
  EXPECT_TRUE(Has(text, "quorix_probe_last_success_timestamp_seconds{" + row + "} 1700000000.25\n"));
  EXPECT_TRUE(Has(text, "quorix_probe_round_trip_seconds_count{" + row + "} 2\n"));
  EXPECT_TRUE(Has(text, "quorix_probe_probes_total{result=\"unreachable\"," + row + "} 1\n"));
  EXPECT_TRUE(Has(text, "quorix_probe_probes_total{result=\"error\"," + row + "} 1\n")) << "an unknown outcome";
  EXPECT_TRUE(Has(text, "quorix_probe_probes_total{result=\"ok\"," + row + "} 2\n"));
  metrics.Record(TableKind::kPing, "h", "", Answered(1500us));
  EXPECT_TRUE(Has(Scrape(metrics), "quorix_probe_last_round_trip_seconds{" + row + "} 0.0015\n"));
}

TEST(ProbeMetrics, RemovedRowsLoseTheirSeriesAndLateProbesOfThemAreDropped) {
  ProbeMetrics metrics("1");
  metrics.SetRows(TableKind::kGame, {"kept:80", "gone:80", "kept:80"});
  metrics.Record(TableKind::kGame, "kept:80", "", Answered(1ms));
  metrics.Record(TableKind::kGame, "kept:80", "", Answered(1ms));  // the same target twice: one series
  metrics.Record(TableKind::kGame, "gone:80", "", Answered(1ms));
  metrics.SetRows(TableKind::kGame, {"kept:80", "new:80"});
  metrics.Record(TableKind::kGame, "gone:80", "", Answered(1ms));  // its worker was half-way through it
  const std::string text = Scrape(metrics);
  EXPECT_FALSE(Has(text, "gone:80")) << text;
  EXPECT_TRUE(Has(text, "quorix_probe_probes_total{result=\"ok\",table=\"game\",target=\"kept:80\"} 2\n"))
      << "a row that stays keeps counting";
  EXPECT_TRUE(Has(text, "quorix_probe_probes_total{result=\"ok\",table=\"game\",target=\"new:80\"} 0\n"));
  metrics.SetRows(TableKind::kGame, {});
  EXPECT_FALSE(Has(Scrape(metrics), "table=\"game\""));
}

TEST(ProbeMetrics, AnotherDnsServerStartsTheDnsSeriesAgain) {
  ProbeMetrics metrics("1");
  metrics.SetRows(TableKind::kDns, {"a.example", "b.example"});
  metrics.Record(TableKind::kDns, "a.example", "192.0.2.1", Failed("nxdomain"));
  metrics.Record(TableKind::kDns, "a.example", "192.0.2.2", Failed("timeout"));
  const std::string text = Scrape(metrics);
  EXPECT_FALSE(Has(text, "192.0.2.1")) << text;
  EXPECT_TRUE(Has(text,
                  "quorix_probe_probes_total{result=\"timeout\",server=\"192.0.2.2\",table=\"dns\","
                  "target=\"a.example\"} 1\n"));
  EXPECT_TRUE(Has(text,
                  "quorix_probe_probes_total{result=\"nxdomain\",server=\"192.0.2.2\",table=\"dns\","
                  "target=\"a.example\"} 0\n"));
  EXPECT_TRUE(Has(text, "server=\"192.0.2.2\",table=\"dns\",target=\"b.example\""));
}

// A reload keeps what the rows that stay have measured, every series of them
// (the text is still prometheus-cpp's own rendering of the registry in use);
// a row whose labels change (the gateway moved) starts again from zero.
TEST(ProbeMetrics, RowsThatStayKeepTheirValuesAcrossAReload) {
  ProbeMetrics metrics("1");
  metrics.SetTables({{"a.example"}, {"10.0.0.1", "10.0.0.2", "10.0.0.3"}, {"g:80"}}, "10.0.0.1");
  const auto when = std::chrono::system_clock::time_point(1'700'000'000s);
  for (const auto roundTrip : {3ms, 40ms, 40ms, 900ms}) {
    metrics.Record(TableKind::kDns, "a.example", "192.0.2.53", Answered(roundTrip, when));
    metrics.Record(TableKind::kPing, "10.0.0.1", "", Answered(roundTrip, when));
    metrics.Record(TableKind::kPing, "10.0.0.2", "", Answered(roundTrip, when));
    metrics.Record(TableKind::kPing, "10.0.0.3", "", Answered(roundTrip, when));
  }
  metrics.Record(TableKind::kGame, "g:80", "", Failed("refused"));
  const std::string before = Scrape(metrics);

  metrics.SetTables({{"a.example", "new.example"}, {"10.0.0.1", "10.0.0.2", "10.0.0.3"}, {"g:80"}}, "10.0.0.2");
  const std::string after = Scrape(metrics);
  std::ostringstream reference;
  prometheus::TextSerializer().Serialize(reference, metrics.Registry()->Collect());
  EXPECT_EQ(SortedLines(after), SortedLines(reference.str()));

  const std::vector<std::string> kept = {
      "quorix_probe_round_trip_seconds_bucket{server=\"192.0.2.53\",table=\"dns\",target=\"a.example\",le=\"0.05\"} 3",
      "quorix_probe_round_trip_seconds_sum{server=\"192.0.2.53\",table=\"dns\",target=\"a.example\"} 0.983",
      "quorix_probe_last_round_trip_seconds{server=\"192.0.2.53\",table=\"dns\",target=\"a.example\"} 0.9",
      "quorix_probe_last_success_timestamp_seconds{table=\"ping\",target=\"10.0.0.3\"} 1700000000",
      "quorix_probe_probes_total{result=\"ok\",table=\"ping\",target=\"10.0.0.3\"} 4",
      "quorix_probe_probes_total{result=\"ok\",table=\"ping\",target=\"10.0.0.1\"} 0",
      "quorix_probe_probes_total{result=\"refused\",table=\"game\",target=\"g:80\"} 1",
  };
  for (const std::string& line : kept) EXPECT_TRUE(Has(after, line + "\n")) << line << "\n" << after;
  EXPECT_TRUE(
      Has(before, "quorix_probe_probes_total{result=\"ok\",role=\"gateway\",table=\"ping\",target=\"10.0.0.1\"} 4"));
  EXPECT_TRUE(
      Has(after, "quorix_probe_probes_total{result=\"ok\",role=\"gateway\",table=\"ping\",target=\"10.0.0.2\"} 0\n"))
      << "the rows whose gateway role changed start again";
  EXPECT_TRUE(Has(after,
                  "quorix_probe_probes_total{result=\"ok\",server=\"192.0.2.53\",table=\"dns\","
                  "target=\"new.example\"} 0\n"));
}

// Scrapes taken while the rows change from one set to another, thousands of
// rows at a time, each show exactly one of the two sets, complete.
TEST(ProbeMetrics, EveryScrapeDuringReloadsShowsOneSetOfRows) {
  constexpr int kRows = 300;
  const auto rowsNamed = [](const std::string& prefix) {
    PerTable<std::vector<std::string>> tables;
    for (const TableKind kind : kAllTables) {
      for (int i = 0; i < kRows; ++i) tables[kind].push_back(prefix + std::to_string(i));
    }
    return tables;
  };
  const auto first = rowsNamed("first-");
  const auto second = rowsNamed("second-");
  ProbeMetrics metrics("1");
  metrics.Record(TableKind::kDns, "-", "192.0.2.53", Failed("timeout"));  // names the DNS server
  metrics.SetTables(first, "");
  std::atomic<bool> reloading{true};
  std::atomic<int> scrapes{0};
  std::vector<std::string> mixed;
  std::thread scraper([&] {
    while (reloading.load()) {
      // One histogram count line per row: how many rows, and how many of the first set.
      std::size_t rows = 0;
      std::size_t ofFirst = 0;
      std::istringstream lines(Scrape(metrics));
      for (std::string line; std::getline(lines, line);) {
        if (line.rfind("quorix_probe_round_trip_seconds_count{", 0) != 0) continue;
        ++rows;
        ofFirst += line.find("target=\"first-") != std::string::npos ? 1 : 0;
      }
      if (rows != 3 * kRows || (ofFirst != 0 && ofFirst != rows)) {
        mixed.push_back(std::to_string(rows) + " rows, " + std::to_string(ofFirst) + " of the first set");
      }
      ++scrapes;
    }
  });
  for (int i = 0; i < 8; ++i) metrics.SetTables(i % 2 == 0 ? second : first, "");
  while (scrapes.load() < 3) std::this_thread::yield();
  reloading.store(false);
  scraper.join();
  EXPECT_TRUE(mixed.empty()) << mixed.size() << " of " << scrapes.load() << " scrapes mixed the sets, first "
                             << (mixed.empty() ? "" : mixed.front());
}

// The served text is prometheus-cpp's own rendering of the registry, line for
// line (prometheus-cpp orders series by hash, so the lines are compared sorted).
TEST(ProbeMetrics, ServedTextIsWhatPrometheusCppWritesOfTheSameSeries) {
  ProbeMetrics metrics("1.0 \"beta\"");
  metrics.SetGateway("10.0.0.1");
  const std::vector<std::string> odd = {"quote\"d", "back\\slash", "new\nline", "中文.example", "a,b=c{}"};
  for (const TableKind kind : kAllTables) {
    std::vector<std::string> targets = odd;
    targets.push_back("10.0.0.1");
    metrics.SetRows(kind, targets);
  }
  const auto when = std::chrono::system_clock::time_point(1'765'000'000'123'456us);
  int step = 0;
  for (const TableKind kind : kAllTables) {
    for (const std::string& target : odd) {
      const char* server = step % 5 == 4 ? "" : "192.0.2.53";  // the DNS server changes once, to ""
      for (const auto roundTrip : {1us, 300'001us, 4'999'999us, 7'000'000us, 100'000us}) {
        metrics.Record(kind, target, server, Answered(roundTrip, when + roundTrip));
      }
      metrics.Record(kind, target, server, Failed(kProbeResults[1 + step % (kProbeResults.size() - 1)]));
      if (step % 2 == 0) metrics.Record(kind, target, server, Answered(33'333us, when));
      if (step % 3 == 0) {  // sums such as 0.1 + 0.1 + 0.1, which doubles do not hold exactly
        for (int i = 0; i < 3; ++i) metrics.Record(kind, target, server, Answered(100'000us, when));
      }
      ++step;
    }
  }
  std::ostringstream reference;
  prometheus::TextSerializer().Serialize(reference, metrics.Registry()->Collect());
  EXPECT_EQ(SortedLines(Scrape(metrics)), SortedLines(reference.str()));
}

}  // namespace
}  // namespace qnc
