#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/diagnosis/diagnosis.h"
#include "core/diagnosis/network_state.h"

namespace qnc {

class ProbeSession;

// How a verdict reads: trouble in red, all well in green, too little to say in grey.
enum class VerdictTone { kTrouble, kAllWell, kUndecided };

// One verdict as the diagnosis window shows it.
struct ReportedVerdict {
  // Numbered ("1. ...") when there are several verdicts.
  std::string headline;
  VerdictTone tone = VerdictTone::kTrouble;
  std::vector<std::string> evidence;
};

// What the diagnosis window shows after a run.
struct DiagnosisReport {
  std::vector<ReportedVerdict> verdicts;
  // "检测时间：09:25:17"
  std::string timeLine;
};

// The report of `verdicts` made at `at`.
DiagnosisReport DiagnosisReportOf(const std::vector<Verdict>& verdicts, std::chrono::system_clock::time_point at);

// The colour of a tone as HTML writes it ("#c62828").
std::string_view ToneColour(VerdictTone tone);
// The verdicts as rich text: each headline bold in its tone's colour, its
// evidence a bulleted list beneath (texts escaped).
std::string DiagnosisHtml(const DiagnosisReport& report);
// The verdicts as plain lines, for a window without rich text: each headline,
// then its evidence lines led by "  • ", with a blank line between verdicts.
std::string DiagnosisPlainText(const DiagnosisReport& report);

// The figures the diagnosis judges, read now from the session's tables (rows
// since the last retest, within the recent window) and its DNS servers'
// tally; the ping row whose target is `gatewayAddress` is the gateway.
NetworkState SessionNetworkState(const ProbeSession& session, const std::string& gatewayAddress,
                                 std::chrono::system_clock::time_point now);

// The diagnosis window without the window: runs the diagnosis on the figures
// its gatherer reads, and keeps the verdicts and their report.
class DiagnosisModel {
 public:
  explicit DiagnosisModel(std::function<NetworkState()> gather);

  // Diagnoses the figures of now; the report's time is `at`.
  const DiagnosisReport& Run(std::chrono::system_clock::time_point at = std::chrono::system_clock::now());

  const std::vector<Verdict>& Verdicts() const { return verdicts_; }
  const DiagnosisReport& Report() const { return report_; }

 private:
  std::function<NetworkState()> gather_;
  std::vector<Verdict> verdicts_;
  DiagnosisReport report_;
};

}  // namespace qnc
