#include "cli/app/trace_report.h"

#include <cstdio>
#include <ctime>

#include "cli/app/safe_text.h"
#include "platform/local_time.h"

namespace qnc {

namespace {

std::string Fixed(double value, int decimals = 1) {
  char text[32];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

std::string Cell(const std::optional<double>& ms) { return ms ? Fixed(*ms) : "-"; }

std::string PadLeft(const std::string& text, std::size_t columns) {
  const std::size_t width = DisplayWidth(text);
  return width >= columns ? text : std::string(columns - width, ' ') + text;
}

std::string PadRight(const std::string& text, std::size_t columns) {
  const std::size_t width = DisplayWidth(text);
  return width >= columns ? text : text + std::string(columns - width, ' ');
}

std::string ResponderText(const HopResponder& responder) {
  std::string text = FormatIpv4(responder.address);
  if (!responder.name.empty()) text += " (" + EscapeForTerminal(responder.name) + ")";
  return text;
}

std::string ClockText(std::chrono::system_clock::time_point at) {
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(at.time_since_epoch()).count();
  const auto local = ToLocalTime(seconds);
  if (!local) return std::to_string(seconds);
  char text[32];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", local->hour, local->minute, local->second);
  return text;
}

void AppendNumber(std::string& out, const char* key, const std::optional<double>& value) {
  out += ",\"";
  out += key;
  out += "\":";
  out += value ? Fixed(*value, 3) : "null";
}

constexpr std::size_t kHostColumns = 40;

const char* FindingKey(RouteFinding finding) {
  switch (finding) {
    case RouteFinding::kTooFewRounds:
      return "too_few_rounds";
    case RouteFinding::kNoAnswer:
      return "no_answer";
    case RouteFinding::kLoss:
      return "loss";
    case RouteFinding::kLatencyStep:
      return "latency_step";
    case RouteFinding::kDestinationSilent:
      return "destination_silent";
    case RouteFinding::kAllWell:
      return "all_well";
  }
  return "";
}

}  // namespace

std::string FormatTraceText(const RouteSnapshot& route, const RouteReading& reading) {
  std::string out = "路由跟踪 " + EscapeForTerminal(route.target);
  if (route.destination != 0) out += " (" + FormatIpv4(route.destination) + ")";
  out += route.tcpPort ? "，TCP 端口 " + std::to_string(*route.tcpPort) : "，ICMP";
  out +=
      "，每跳每 " + std::to_string(route.interval.count()) + " ms 一个探测，" + std::to_string(route.rounds) + " 轮\n";
  out += PadLeft("跳", 4) + "  " + PadRight("地址", kHostColumns) + PadLeft("丢包%", 7) + PadLeft("发送", 6) +
         PadLeft("最近", 8) + PadLeft("平均", 8) + PadLeft("最好", 8) + PadLeft("最差", 8) + PadLeft("标准差", 8) +
         PadLeft("抖动", 8) + "\n";
  for (std::size_t i = 0; i < route.hops.size(); ++i) {
    const HopSnapshot& hop = route.hops[i];
    const HopFigures& f = hop.figures;
    const std::string address = hop.responders.empty() ? "???" : ResponderText(hop.responders.front());
    out += PadLeft(std::to_string(hop.ttl) + ".", 4) + "  " +
           PadRight(FitColumns(address, kHostColumns - 1), kHostColumns) + PadLeft(Fixed(f.lossPercent) + "%", 7) +
           PadLeft(std::to_string(f.sent), 6) + PadLeft(Cell(f.lastMs), 8) + PadLeft(Cell(f.meanMs), 8) +
           PadLeft(Cell(f.bestMs), 8) + PadLeft(Cell(f.worstMs), 8) + PadLeft(Cell(f.stdDevMs), 8) +
           PadLeft(Cell(f.jitterMs), 8);
    if (i < reading.hops.size()) {
      out += "  [" + std::string(SegmentName(reading.hops[i].segment)) + "]";
      if (!reading.hops[i].note.empty()) out += " " + reading.hops[i].note;
    }
    out += "\n";
    // The other addresses of a balanced hop, one per line below it.
    for (std::size_t r = 1; r < hop.responders.size(); ++r) {
      out += "      " + ResponderText(hop.responders[r]) + "\n";
    }
  }
  if (!route.error.empty()) out += "错误：" + EscapeForTerminal(route.error) + "\n";
  out += "结论：" + reading.headline + "\n";
  for (const std::string& line : reading.evidence) out += "  " + line + "\n";
  for (const RouteChange& change : route.changes)
    out += "  " + ClockText(change.at) + " 路由变化：" + change.text + "\n";
  return out;
}

std::string FormatTraceJson(const RouteSnapshot& route, const RouteReading& reading) {
  std::string out = "{\"target\":";
  AppendJsonString(out, route.target);
  out += ",\"destination\":";
  AppendJsonString(out, route.destination != 0 ? FormatIpv4(route.destination) : "");
  out += ",\"mode\":";
  out += route.tcpPort ? "\"tcp\",\"port\":" + std::to_string(*route.tcpPort) : "\"icmp\"";
  out += ",\"interval_ms\":" + std::to_string(route.interval.count());
  out += ",\"fast_pace\":" + std::string(route.fastPace ? "true" : "false");
  out += ",\"rounds\":" + std::to_string(route.rounds);
  out += ",\"destination_ttl\":" + (route.destinationTtl ? std::to_string(*route.destinationTtl) : "null");
  out += ",\"hops\":[";
  for (std::size_t i = 0; i < route.hops.size(); ++i) {
    const HopSnapshot& hop = route.hops[i];
    const HopFigures& f = hop.figures;
    if (i > 0) out += ",";
    out += "{\"ttl\":" + std::to_string(hop.ttl) + ",\"responders\":[";
    for (std::size_t r = 0; r < hop.responders.size(); ++r) {
      if (r > 0) out += ",";
      out += "{\"address\":";
      AppendJsonString(out, FormatIpv4(hop.responders[r].address));
      out += ",\"name\":";
      AppendJsonString(out, hop.responders[r].name);
      out += ",\"answers\":" + std::to_string(hop.responders[r].answers) + "}";
    }
    out += "],\"sent\":" + std::to_string(f.sent) + ",\"lost\":" + std::to_string(f.lost) +
           ",\"loss_percent\":" + Fixed(f.lossPercent, 3);
    AppendNumber(out, "last_ms", f.lastMs);
    AppendNumber(out, "mean_ms", f.meanMs);
    AppendNumber(out, "best_ms", f.bestMs);
    AppendNumber(out, "worst_ms", f.worstMs);
    AppendNumber(out, "stddev_ms", f.stdDevMs);
    AppendNumber(out, "jitter_ms", f.jitterMs);
    out += ",\"destination\":" + std::string(hop.isDestination ? "true" : "false");
    if (i < reading.hops.size()) {
      out += ",\"segment\":";
      AppendJsonString(out, SegmentName(reading.hops[i].segment));
      out += ",\"carried_loss_percent\":" + Fixed(reading.hops[i].carriedLossPercent, 3);
      out += ",\"note\":";
      AppendJsonString(out, reading.hops[i].note);
    }
    out += "}";
  }
  out += "],\"changes\":[";
  for (std::size_t i = 0; i < route.changes.size(); ++i) {
    const RouteChange& change = route.changes[i];
    if (i > 0) out += ",";
    out += "{\"time\":" +
           std::to_string(std::chrono::duration_cast<std::chrono::seconds>(change.at.time_since_epoch()).count()) +
           ",\"ttl\":" + std::to_string(change.ttl) + ",\"text\":";
    AppendJsonString(out, change.text);
    out += "}";
  }
  out += "],\"verdict\":{\"finding\":\"" + std::string(FindingKey(reading.finding)) + "\"";
  out += ",\"trouble_ttl\":" + (reading.troubleTtl ? std::to_string(*reading.troubleTtl) : "null");
  out += ",\"segment\":";
  if (reading.troubleSegment) {
    AppendJsonString(out, SegmentName(*reading.troubleSegment));
  } else {
    out += "null";
  }
  out += ",\"headline\":";
  AppendJsonString(out, reading.headline);
  out += ",\"evidence\":[";
  for (std::size_t i = 0; i < reading.evidence.size(); ++i) {
    if (i > 0) out += ",";
    AppendJsonString(out, reading.evidence[i]);
  }
  out += "]}";
  if (!route.error.empty()) {
    out += ",\"error\":";
    AppendJsonString(out, route.error);
  }
  return out + "}";
}

}  // namespace qnc
