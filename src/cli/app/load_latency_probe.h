#pragma once
#include <chrono>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "cli/app/lan_command_options.h"
#include "core/diagnosis/latency_under_load.h"
#include "core/model/table_kind.h"
#include "core/probe/probe_session.h"

namespace qnc {

// The rows a LAN client names to watch while its test loads the link: a
// probe session of those rows only, running from the quiet stretch before
// the test to its end, and what each row's round trips say afterwards.
class LoadLatencyProbe {
 public:
  struct RowResult {
    TableKind table;
    std::string target;
    LatencyUnderLoad latency;
  };

  // "gateway" among the pings stands for the gateway the route table names;
  // where there is none, a line on `err` says so and the row is left out.
  LoadLatencyProbe(const LanClientCommand& command, std::ostream& err,
                   ProbeSessionOptions options = ProbeSessionOptions{});
  ~LoadLatencyProbe();

  bool Any() const { return !rows_.empty(); }
  // Starts probing: the quiet stretch begins.
  void Start();
  // The test starts, and later ends.
  void LoadStarts() { periods_.loadFrom = std::chrono::system_clock::now(); }
  void LoadEnds() { periods_.loadUntil = std::chrono::system_clock::now(); }
  // Ends probing (bounded by the probes' own time-outs).
  void Stop();
  std::vector<RowResult> Results() const;

 private:
  struct Row {
    TableKind table;
    RowId id;
    std::string target;
  };
  std::unique_ptr<ProbeSession> session_;
  std::vector<Row> rows_;
  LoadPeriods periods_;
  bool running_ = false;
};

// The client's report of the rows: one line per row in words, or one JSON
// array (inside the client's JSON object) of the figures.
void PrintLoadLatencyLines(std::ostream& out, const std::vector<LoadLatencyProbe::RowResult>& rows, TransferMode mode);
std::string LoadLatencyJson(const std::vector<LoadLatencyProbe::RowResult>& rows);

}  // namespace qnc
