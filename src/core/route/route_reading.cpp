#include "core/route/route_reading.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace qnc {

namespace {

using namespace route_reading;

std::uint32_t HostOrder(Ipv4NetOrder address) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(&address);
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) | (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

bool InBlock(Ipv4NetOrder address, std::uint32_t block, int prefix) {
  const std::uint32_t mask = prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - prefix);
  return (HostOrder(address) & mask) == block;
}

// Private (RFC 1918), shared (RFC 6598, carrier-grade NAT) and link-local
// addresses: none of them is routed on the public internet, so a hop that
// has one belongs to a home or a provider's own network.
bool IsNonPublic(Ipv4NetOrder address) {
  return InBlock(address, 0x0A000000, 8) || InBlock(address, 0xAC100000, 12) || InBlock(address, 0xC0A80000, 16) ||
         InBlock(address, 0x64400000, 10) || InBlock(address, 0xA9FE0000, 16);
}

bool SameSlash24(Ipv4NetOrder a, Ipv4NetOrder b) { return (HostOrder(a) >> 8) == (HostOrder(b) >> 8); }

// The least and the most a hop's loss can be, in percent, for `lost` of
// `sent` probes lost by chance: the ends of the one-sided 95 % Wilson
// intervals. Ten rounds with none lost still allow up to 21 %, a hundred 2.6 %.
double LossBound(std::uint32_t lost, std::uint32_t sent, bool upper) {
  if (sent == 0) return upper ? 100 : 0;
  constexpr double kZ = 1.645;
  const double n = sent;
  const double p = lost / n;
  const double z2 = kZ * kZ;
  const double centre = p + z2 / (2 * n);
  const double margin = kZ * std::sqrt(p * (1 - p) / n + z2 / (4 * n * n));
  const double bound = (upper ? centre + margin : centre - margin) / (1 + z2 / n);
  return 100 * std::clamp(bound, 0.0, 1.0);
}

double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// The number of public hops after the gateway still counted as the provider's access.
constexpr int kAccessPublicHops = 2;

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Percent(double value) { return Format("%.1f", value) + "%"; }

std::string Milliseconds(double value) {
  return Format(value < 1 ? "%.2f" : (value < 10 ? "%.1f" : "%.0f"), value) + " ms";
}

bool Answers(const HopSnapshot& hop) { return !hop.responders.empty(); }

std::string HopLabel(const HopSnapshot& hop) {
  std::string label = "第" + std::to_string(hop.ttl) + "跳";
  if (hop.responders.empty()) return label + "（不回应）";
  label += "（" + FormatIpv4(hop.responders.front().address);
  if (!hop.responders.front().name.empty()) label += " " + hop.responders.front().name;
  return label + "）";
}

std::string HopFiguresText(const HopSnapshot& hop) {
  const HopFigures& f = hop.figures;
  std::string text = HopLabel(hop) + "：丢包 " + Percent(f.lossPercent) + "（" + std::to_string(f.lost) + "/" +
                     std::to_string(f.sent) + "）";
  if (f.meanMs) text += "，平均 " + Milliseconds(*f.meanMs);
  if (f.jitterMs) text += "，抖动 " + Milliseconds(*f.jitterMs);
  return text;
}

std::vector<RouteSegment> Segments(const RouteSnapshot& route, std::optional<Ipv4NetOrder> gateway) {
  int gatewayTtl = 0;
  for (const HopSnapshot& hop : route.hops) {
    const bool isGateway = gateway && std::any_of(hop.responders.begin(), hop.responders.end(),
                                                  [&](const HopResponder& r) { return r.address == *gateway; });
    if (isGateway) {
      gatewayTtl = hop.ttl;
      break;
    }
  }
  // Without a known gateway, a first hop with a private address is taken for it.
  if (gatewayTtl == 0 && !gateway && !route.hops.empty() && Answers(route.hops.front()) &&
      IsNonPublic(route.hops.front().responders.front().address)) {
    gatewayTtl = 1;
  }
  std::vector<RouteSegment> segments;
  bool inAccess = true;
  int publicHops = 0;
  for (const HopSnapshot& hop : route.hops) {
    if (hop.ttl <= gatewayTtl) {
      segments.push_back(RouteSegment::kHome);
      continue;
    }
    const bool destinationNetwork =
        hop.isDestination || (route.destinationTtl && Answers(hop) && route.destination != 0 &&
                              SameSlash24(hop.responders.front().address, route.destination));
    if (destinationNetwork) {
      segments.push_back(RouteSegment::kDestinationNetwork);
      continue;
    }
    if (inAccess && Answers(hop) && !IsNonPublic(hop.responders.front().address)) {
      if (++publicHops > kAccessPublicHops) inAccess = false;
    }
    segments.push_back(inAccess ? RouteSegment::kProviderAccess : RouteSegment::kWiderRoute);
  }
  return segments;
}

std::string_view SegmentAdvice(RouteSegment segment) {
  switch (segment) {
    case RouteSegment::kHome:
      return "问题在家庭网络：检查网线、路由器，或靠近路由器、换一个Wi-Fi频段再测";
    case RouteSegment::kProviderAccess:
      return "问题在宽带运营商的接入网：可以把这份结果交给运营商报修";
    case RouteSegment::kWiderRoute:
      return "问题在运营商之外的骨干线路上：可以向运营商反映，或换一条线路（加速器）再测";
    case RouteSegment::kDestinationNetwork:
      return "问题在服务器所在的网络：可以换一个服务器，或稍后再试";
  }
  return "";
}

}  // namespace

std::string_view SegmentName(RouteSegment segment) {
  switch (segment) {
    case RouteSegment::kHome:
      return "家庭网络";
    case RouteSegment::kProviderAccess:
      return "运营商接入";
    case RouteSegment::kWiderRoute:
      return "骨干线路";
    case RouteSegment::kDestinationNetwork:
      return "目标网络";
  }
  return "";
}

RouteReading ReadRoute(const RouteSnapshot& route, std::optional<Ipv4NetOrder> gateway) {
  RouteReading reading;
  const std::vector<RouteSegment> segments = Segments(route, gateway);
  const std::size_t count = route.hops.size();
  reading.hops.resize(count);

  // From the far end back: the loss that later hops can be said to share (the
  // lowest upper bound of their loss), the loss of the hops from here on
  // (their median), and the round trip every hop from here on keeps.
  std::vector<double> lowestUpperAfter(count, std::numeric_limits<double>::infinity());
  std::vector<double> lossesFromHere;
  double lowestUpper = std::numeric_limits<double>::infinity();
  double kept = std::numeric_limits<double>::infinity();
  for (std::size_t i = count; i-- > 0;) {
    const HopSnapshot& hop = route.hops[i];
    HopReading& out = reading.hops[i];
    out.ttl = hop.ttl;
    out.segment = segments[i];
    lowestUpperAfter[i] = lowestUpper;
    if (Answers(hop)) {
      lowestUpper = std::min(lowestUpper, LossBound(hop.figures.lost, hop.figures.sent, true));
      lossesFromHere.push_back(hop.figures.lossPercent);
      if (hop.figures.recentMedianMs) kept = std::min(kept, *hop.figures.recentMedianMs);
    }
    out.carriedLossPercent = Median(lossesFromHere);
    if (!std::isinf(kept)) out.keptLatencyMs = kept;
  }

  // The reference for "enough rounds": the destination, else the last hop that answers.
  const HopSnapshot* last = nullptr;
  for (const HopSnapshot& hop : route.hops) {
    if (Answers(hop)) last = &hop;
  }
  if (route.fastPace) {
    reading.evidence.push_back("探测间隔 " + std::to_string(route.interval.count()) +
                               " ms，快于每秒一次：中间节点的丢包多半是它限速回应造成的，属正常");
  }
  const std::uint32_t rounds =
      last != nullptr ? last->figures.sent : (route.hops.empty() ? 0 : route.hops.back().figures.sent);
  if (rounds < kMinRounds) {
    reading.finding = RouteFinding::kTooFewRounds;
    reading.headline =
        "测量轮数还不够（" + std::to_string(rounds) + "/" + std::to_string(kMinRounds) + "），请再等一会儿";
    return reading;
  }
  if (last == nullptr) {
    reading.finding = RouteFinding::kNoAnswer;
    reading.headline = "没有任何一跳回应：本机的网络可能没有连通，或者探测包被拦截";
    return reading;
  }

  // Notes on hops whose own trouble stays with them, and the first hops where
  // loss and delay start and persist.
  std::optional<std::size_t> lossAt;
  std::optional<std::size_t> stepAt;
  double previousKept = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const HopSnapshot& hop = route.hops[i];
    HopReading& out = reading.hops[i];
    if (!Answers(hop)) {
      out.note = "该节点不回应探测，不影响转发";
      continue;
    }
    const HopFigures& f = hop.figures;
    // Its own loss stays with it when some later hop surely loses less: the
    // most that hop may lose is below the least this one does.
    if (f.lossPercent >= kOwnLossNotePercent && f.lost >= kMinLost &&
        lowestUpperAfter[i] < LossBound(f.lost, f.sent, false)) {
      out.lossNotCarried = true;
      out.note = kRateLimitedNote;
    }
    if (f.recentMedianMs && out.keptLatencyMs && *f.recentMedianMs - *out.keptLatencyMs >= kOwnSlowNoteMs) {
      out.slowNotKept = true;
      if (out.note.empty()) out.note = "该节点回应慢，不影响转发";
    }
    // A hop that drops answers to itself says nothing of where the route's
    // own loss starts, which it shares with the hops after it.
    if (!lossAt && !out.lossNotCarried && out.carriedLossPercent >= kLossPercent && f.lost >= kMinLost) lossAt = i;
    if (out.keptLatencyMs) {
      if (!stepAt && *out.keptLatencyMs - previousKept >= kLatencyStepMs) stepAt = i;
      previousKept = *out.keptLatencyMs;
    }
  }

  const HopSnapshot* destination = nullptr;
  if (route.destinationTtl) {
    for (const HopSnapshot& hop : route.hops) {
      if (hop.isDestination) destination = &hop;
    }
  }
  const auto blame = [&](std::size_t i, RouteFinding finding, const std::string& what) {
    const HopSnapshot& hop = route.hops[i];
    reading.finding = finding;
    reading.troubleTtl = hop.ttl;
    reading.troubleSegment = segments[i];
    reading.hops[i].troubleStartsHere = true;
    reading.headline = "从" + HopLabel(hop) + "起" + what + "，问题出在" + std::string(SegmentName(segments[i]));
    reading.evidence.insert(reading.evidence.begin(), std::string(SegmentAdvice(segments[i])));
    reading.evidence.insert(reading.evidence.begin(), HopFiguresText(hop));
  };
  if (lossAt) {
    const std::size_t i = *lossAt;
    blame(i, RouteFinding::kLoss,
          "持续丢包 " + Percent(reading.hops[i].carriedLossPercent) + "，之后每一跳直到" +
              (destination != nullptr ? "目标" : "最后回应的一跳") + "都在丢");
    if (reading.hops[i].note.empty()) reading.hops[i].note = "丢包从这里开始";
  } else if (stepAt) {
    const std::size_t i = *stepAt;
    double before = 0;
    for (std::size_t j = i; j-- > 0;) {
      if (reading.hops[j].keptLatencyMs) {
        before = *reading.hops[j].keptLatencyMs;
        break;
      }
    }
    blame(i, RouteFinding::kLatencyStep,
          "延迟增加约 " + Milliseconds(*reading.hops[i].keptLatencyMs - before) + "（" + Milliseconds(before) + " → " +
              Milliseconds(*reading.hops[i].keptLatencyMs) + "），之后各跳都保持");
    if (reading.hops[i].note.empty()) reading.hops[i].note = "延迟从这里增加";
  } else if (destination == nullptr) {
    reading.finding = RouteFinding::kDestinationSilent;
    reading.headline = route.tcpPort ? "目标的端口 " + std::to_string(*route.tcpPort) +
                                           " 没有回应：服务器可能没开这个端口，或被防火墙拦截；已回应的各跳正常"
                                     : "目标不回应ping（很多服务器屏蔽ping），已回应的各跳正常";
    reading.evidence.push_back("最后回应的一跳：" + HopFiguresText(*last));
    if (!route.tcpPort) reading.evidence.push_back("用TCP模式跟踪游戏端口（--tcp 端口），可以一直看到服务器");
  } else {
    reading.finding = RouteFinding::kAllWell;
    reading.headline = "路由正常：到目标共 " + std::to_string(destination->ttl) + " 跳，没有持续的丢包或延迟突增";
    reading.evidence.push_back("目标" + HopFiguresText(*destination));
  }
  if (lossAt && stepAt && *stepAt != *lossAt) {
    reading.evidence.push_back("另外，从第" + std::to_string(route.hops[*stepAt].ttl) + "跳起延迟增加约 " +
                               Milliseconds(*reading.hops[*stepAt].keptLatencyMs) + " 并保持");
  }
  std::size_t limited = 0;
  for (const HopReading& hop : reading.hops) limited += hop.lossNotCarried ? 1 : 0;
  if (limited > 0) {
    reading.evidence.push_back(std::to_string(limited) +
                               " 个中间节点自己的丢包没有延续到后面的节点：它们只是限速回应探测，不影响转发，不是故障");
  }
  if (!route.changes.empty()) {
    reading.evidence.push_back("测量期间路由变化了 " + std::to_string(route.changes.size()) +
                               " 次：变化前后的数字混在一起，以变化后的为准");
  }
  return reading;
}

}  // namespace qnc
