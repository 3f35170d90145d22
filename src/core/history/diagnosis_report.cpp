#include "core/history/diagnosis_report.h"

#include <utility>

#include "core/diagnosis/network_state_of_tables.h"
#include "core/history/history_text.h"
#include "core/probe/probe_session.h"

namespace qnc {

namespace {

VerdictTone ToneOf(Finding finding) {
  switch (finding) {
    case Finding::kAllWell:
      return VerdictTone::kAllWell;
    case Finding::kTooFewSamples:
      return VerdictTone::kUndecided;
    default:
      return VerdictTone::kTrouble;
  }
}

// The text with the characters that mean markup in HTML written as entities.
std::string HtmlEscaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char each : text) {
    switch (each) {
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '&':
        escaped += "&amp;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      default:
        escaped += each;
    }
  }
  return escaped;
}

}  // namespace

DiagnosisReport DiagnosisReportOf(const std::vector<Verdict>& verdicts, std::chrono::system_clock::time_point at) {
  DiagnosisReport report;
  for (std::size_t index = 0; index < verdicts.size(); ++index) {
    const Verdict& verdict = verdicts[index];
    const std::string prefix = verdicts.size() > 1 ? std::to_string(index + 1) + ". " : std::string();
    report.verdicts.push_back({prefix + verdict.headline, ToneOf(verdict.finding), verdict.evidence});
  }
  report.timeLine = "检测时间：" + TimeOfDayText(at);
  return report;
}

std::string_view ToneColour(VerdictTone tone) {
  switch (tone) {
    case VerdictTone::kAllWell:
      return "#2e7d32";
    case VerdictTone::kUndecided:
      return "#616161";
    case VerdictTone::kTrouble:
      break;
  }
  return "#c62828";
}

std::string DiagnosisHtml(const DiagnosisReport& report) {
  std::string html;
  for (const ReportedVerdict& verdict : report.verdicts) {
    html += "<p style=\"margin-top:8px\"><b><span style=\"color:" + std::string(ToneColour(verdict.tone)) + "\">" +
            HtmlEscaped(verdict.headline) + "</span></b></p>";
    if (verdict.evidence.empty()) continue;
    html += "<ul style=\"margin-top:0px\">";
    for (const std::string& line : verdict.evidence) html += "<li>" + HtmlEscaped(line) + "</li>";
    html += "</ul>";
  }
  return html;
}

std::string DiagnosisPlainText(const DiagnosisReport& report) {
  std::string text;
  for (const ReportedVerdict& verdict : report.verdicts) {
    if (!text.empty()) text += "\n";
    text += verdict.headline + "\n";
    for (const std::string& line : verdict.evidence) text += "  • " + line + "\n";
  }
  return text;
}

NetworkState SessionNetworkState(const ProbeSession& session, const std::string& gatewayAddress,
                                 std::chrono::system_clock::time_point now) {
  std::vector<const TableStore*> tables;
  for (const TableKind kind : kAllTables) tables.push_back(&session.Table(kind));
  return NetworkStateOf(tables, gatewayAddress, session.DnsServers().Servers(), now, session.RetestedAt());
}

DiagnosisModel::DiagnosisModel(std::function<NetworkState()> gather) : gather_(std::move(gather)) {}

const DiagnosisReport& DiagnosisModel::Run(std::chrono::system_clock::time_point at) {
  verdicts_ = Diagnose(gather_());
  report_ = DiagnosisReportOf(verdicts_, at);
  return report_;
}

}  // namespace qnc
