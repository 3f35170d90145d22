#pragma once
#include <prometheus/counter.h>
#include <prometheus/family.h>
#include <prometheus/gauge.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>

#include <array>
#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "core/model/table_kind.h"

namespace qnc {

// The outcome labels of a probe, in the order of the probe counters. A probe
// answered is "ok"; the others name why it failed.
inline constexpr std::array<std::string_view, 8> kProbeResults{"ok",          "timeout",       "nxdomain", "refused",
                                                               "unreachable", "no_permission", "bad_name", "error"};

// Upper bounds of the round-trip histogram's buckets, in seconds: fine steps
// where a LAN or a good line answers, coarse ones up to the probes' time-outs.
inline const std::vector<double> kRoundTripBuckets{0.005, 0.01, 0.02, 0.035, 0.05, 0.075, 0.1,
                                                   0.15,  0.25, 0.5,  1,     2,    5};

// One probe of a row, as the metrics see it.
struct ProbeRecord {
  std::string_view result;                     // one of kProbeResults; anything else counts as "error"
  std::chrono::microseconds roundTrip{};       // meaningful when result is "ok"
  std::chrono::system_clock::time_point time;  // when the probe ended
};

// The Prometheus series of the three tables. Each row target has its series,
// labelled table and target (and server for the DNS table; role="gateway" for
// the ping row that names the LAN gateway):
//   quorix_probe_round_trip_seconds              histogram of answered probes
//   quorix_probe_last_round_trip_seconds         gauge, only while the latest probe was answered
//   quorix_probe_probes_total{result=...}        counter per outcome, all present from the start
//   quorix_probe_last_success_timestamp_seconds  gauge, from the first answer on
// plus quorix_probe_build_info{version=...} 1. Rows of one table with the same
// target share their series. Thread-safe: workers record while a scrape
// collects and the front end changes the rows.
//
// The series live in a prometheus-cpp registry. A scrape is written by
// WriteText, which gives the same lines as prometheus-cpp's text serializer
// over Registry() but at a small fraction of its cost (thousands of rows make
// tens of thousands of lines).
//
// A change of rows, of the gateway or of the DNS server builds a whole new
// registry beside the one in use, without holding up scrapes or probes (a
// family of prometheus-cpp removes one series in time linear in its size, so
// removing thousands of rows one by one takes seconds); then, in one short
// step under the lock, the values of the series that stay are carried over
// and the new registry takes the old one's place. A scrape therefore always
// shows one set of rows.
class ProbeMetrics {
 public:
  explicit ProbeMetrics(std::string_view version);
  ~ProbeMetrics();
  ProbeMetrics(const ProbeMetrics&) = delete;
  ProbeMetrics& operator=(const ProbeMetrics&) = delete;

  // The series as prometheus-cpp collects them (the registry in use now).
  std::shared_ptr<prometheus::Registry> Registry() const;
  // Appends every series in the Prometheus text format.
  void WriteText(std::string& out) const;

  // The targets of all three tables and the LAN gateway's address, changed in
  // one step. Targets new to a table get their series at zero (the DNS
  // table's once its server is known); the series of targets it no longer
  // holds are removed; the ping row whose target is the gateway carries
  // role="gateway".
  void SetTables(const PerTable<std::vector<std::string>>& targets, std::string_view gateway);
  // The same for one table, or for the gateway alone.
  void SetRows(TableKind kind, const std::vector<std::string>& targets);
  void SetGateway(std::string_view address);
  // Records a probe of a row that the table holds; a probe of a target that
  // has left the table (a row removed while it was being probed) is dropped.
  // For the DNS table, server is the server that was asked: when it differs
  // from the one before, every DNS row's series start again under the new one.
  void Record(TableKind kind, std::string_view target, std::string_view server, const ProbeRecord& record);

 private:
  struct Generation;
  struct Wanted {
    PerTable<std::set<std::string, std::less<>>> rows;
    std::string gateway;
    std::optional<std::string> dnsServer;  // none until the first DNS probe names it
  };

  // Builds the series of wanted_ and puts them in place (rebuildMutex_ held).
  void RebuildLocked();
  void WantRowsLocked(TableKind kind, const std::vector<std::string>& targets);
  void RecordLocked(Generation& generation, TableKind kind, std::string_view target, const ProbeRecord& record);

  const std::string version_;
  std::mutex rebuildMutex_;  // one rebuild at a time
  Wanted wanted_;            // under rebuildMutex_

  mutable std::mutex mutex_;  // the generation in use and its values
  std::shared_ptr<Generation> current_;
  mutable std::size_t lastTextSize_ = 0;
};

}  // namespace qnc
