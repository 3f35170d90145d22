#include "core/diagnosis/diagnosis.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "core/model/table_names.h"

namespace qnc {

namespace {

using namespace diagnosis;

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string Percent(double ratio) { return Format("%.1f", ratio * 100) + "%"; }

// "35 ms", "4.5 ms", "0.06 ms": two decimals under a millisecond (a LAN), one
// under 10 ms, none above.
std::string Milliseconds(double value) {
  return Format(value < 1 ? "%.2f" : (value < 10 ? "%.1f" : "%.0f"), value) + " ms";
}

// The failures that are neither loss nor a failed DNS-table look-up, each by
// its reason: "，连接被拒绝 12 次，DNS 超时 3 次".
std::string OtherFailures(const RowHealth& row) {
  std::string text;
  for (const FailureReason reason : kAllFailureReasons) {
    if (reason == FailureReason::kNone || reason == FailureReason::kTimeout || reason == FailureReason::kUnreachable) {
      continue;
    }
    if (const std::uint32_t count = row.Failures(reason); count > 0) {
      text += "，" + std::string(FailureText(reason)) + " " + std::to_string(count) + " 次";
    }
  }
  return text;
}

// "ping表 192.0.2.1：丢包 12.5%（3/24），平均 35 ms，抖动 12 ms"; refusals and
// failed name lookups are named by their reason, not counted as loss.
std::string Figures(const RowHealth& row) {
  std::string text = std::string(TableName(row.table)) + " " + row.target + "：";
  if (row.table == TableKind::kDns) {
    text += "失败 " + Percent(row.LossRatio()) + "（" + std::to_string(row.failed) + "/" + std::to_string(row.samples) +
            "）";
  } else if (row.Sent() == 0) {
    text += "没有发出探测（" + std::to_string(row.samples) + " 次都没能解析出地址）" + OtherFailures(row);
    return text;
  } else {
    text += "丢包 " + Percent(row.LossRatio()) + "（" + std::to_string(row.Lost()) + "/" + std::to_string(row.Sent()) +
            "）" + OtherFailures(row);
  }
  const std::uint32_t answered = row.samples - std::min(row.failed, row.samples);
  if (answered == 0) return text + "，全部失败";
  text += "，平均 " + Milliseconds(row.averageMs);
  if (answered >= 2) text += "，抖动 " + Milliseconds(row.jitterMs);
  return text;
}

bool Measured(const RowHealth& row) { return row.samples >= kMinSamples; }

bool Lossy(const RowHealth& row, double ratio) { return row.Lost() >= kMinLost && row.LossRatio() >= ratio; }

bool OutsideInTrouble(const RowHealth& row) {
  return Lossy(row, kOutsideLossRatio) || row.jitterMs >= kOutsideJitterMs;
}

// A server that refuses connections is in trouble of its own, whatever the route.
bool Refusing(const RowHealth& row) {
  return row.Failures(FailureReason::kRefused) >= kMinLost &&
         row.RatioOfSent(FailureReason::kRefused) >= kOutsideLossRatio;
}

bool DnsInTrouble(const RowHealth& row) { return Lossy(row, kDnsFailRatio) || row.averageMs >= kDnsSlowMs; }

// A ping or game row whose own name lookups fail.
bool LookupsFail(const RowHealth& row) {
  return row.LookupFailures() >= kMinLost && row.LookupFailureRatio() >= kDnsFailRatio;
}

bool ServerUsable(const DnsServerHealth& server) {
  return server.samples >= kMinSamples && server.LossRatio() < kDnsFailRatio && server.averageMs < kDnsSlowMs;
}

// The rows of the state sorted by role, each measured long enough.
struct Roles {
  std::optional<RowHealth> gateway;
  std::vector<RowHealth> outside;  // ping rows other than the gateway, and game rows
  std::vector<RowHealth> dns;
};

Roles SortByRole(const NetworkState& state) {
  Roles roles;
  for (const RowHealth& row : state.rows) {
    if (!Measured(row)) continue;
    if (row.table == TableKind::kDns) {
      roles.dns.push_back(row);
    } else if (row.table == TableKind::kPing && row.gateway) {
      if (!roles.gateway) roles.gateway = row;
    } else {
      roles.outside.push_back(row);
    }
  }
  return roles;
}

std::vector<RowHealth> Matching(const std::vector<RowHealth>& rows, bool (*test)(const RowHealth&)) {
  std::vector<RowHealth> found;
  std::copy_if(rows.begin(), rows.end(), std::back_inserter(found), test);
  return found;
}

// The outside rows' probes taken together: lost of sent.
double PooledOutsideLoss(const Roles& roles) {
  std::uint64_t lost = 0;
  std::uint64_t sent = 0;
  for (const RowHealth& row : roles.outside) {
    lost += row.Lost();
    sent += row.Sent();
  }
  return sent == 0 ? 0.0 : static_cast<double>(lost) / static_cast<double>(sent);
}

// How the gateway's own figures read against the outside rows'.
struct GatewayReading {
  bool troubled = false;
  // It loses pings to itself while the outside rows, behind it, do not.
  bool declinesPings = false;
};

GatewayReading ReadGateway(const Roles& roles) {
  GatewayReading reading;
  if (!roles.gateway) return reading;
  const RowHealth& gateway = *roles.gateway;
  const bool slow = gateway.averageMs >= kGatewaySlowMs || gateway.jitterMs >= kGatewayJitterMs;
  const bool lossy = Lossy(gateway, kGatewayLossRatio);
  const bool lossCarriesOn =
      roles.outside.empty() || PooledOutsideLoss(roles) >= gateway.LossRatio() * kGatewayLossCarriedShare;
  reading.troubled = slow || (lossy && lossCarriesOn);
  reading.declinesPings = lossy && !lossCarriesOn && !slow;
  return reading;
}

std::string GatewayLine(const Roles& roles) {
  if (!roles.gateway) return "网关没有测量数据（ping表里没有网关地址那一行），局域网无法单独判断";
  return "网关正常：" + Figures(*roles.gateway);
}

Verdict LocalNetwork(const Roles& roles, std::size_t outsideInTrouble) {
  Verdict verdict{Finding::kLocalNetwork, "问题最可能在局域网或Wi-Fi：到网关的ping已经丢包、变慢或抖动", {}};
  verdict.evidence.push_back("网关：" + Figures(*roles.gateway));
  if (outsideInTrouble > 0) {
    verdict.evidence.push_back("经过网关的外部目标也有 " + std::to_string(outsideInTrouble) + " 个受影响");
  }
  verdict.evidence.push_back("建议：检查网线、路由器，或靠近路由器、换一个Wi-Fi频段再测");
  return verdict;
}

Verdict ProviderRoute(const Roles& roles, const std::vector<RowHealth>& troubled) {
  Verdict verdict{Finding::kProviderRoute, "问题最可能在运营商或线路：网关正常，外部主机和游戏服务器丢包或抖动", {}};
  verdict.evidence.push_back(GatewayLine(roles));
  for (const RowHealth& row : troubled) verdict.evidence.push_back(Figures(row));
  verdict.evidence.push_back("受影响的外部目标：" + std::to_string(troubled.size()) + " / " +
                             std::to_string(roles.outside.size()));
  return verdict;
}

// One verdict for every server that is in trouble on its own.
Verdict SingleServers(const Roles& roles, const std::vector<RowHealth>& servers) {
  std::string names;
  for (const RowHealth& row : servers) names += (names.empty() ? "" : "、") + row.target;
  Verdict verdict{Finding::kSingleServer,
                  (servers.size() == 1 ? "问题只在单个服务器：" : "问题只在个别服务器：") + names + "，其他目标正常",
                  {}};
  for (const RowHealth& row : servers) verdict.evidence.push_back(Figures(row));
  verdict.evidence.push_back(GatewayLine(roles));
  verdict.evidence.push_back("其他外部目标中 " + std::to_string(roles.outside.size() - servers.size()) + " 个正常");
  return verdict;
}

Verdict Dns(const NetworkState& state, const Roles& roles, const std::vector<RowHealth>& troubled,
            const std::vector<RowHealth>& failingLookups, std::size_t outsideTroubled) {
  Verdict verdict{Finding::kDns, "问题最可能在DNS：域名解析慢或失败，而ping正常", {}};
  for (const RowHealth& row : troubled) verdict.evidence.push_back(Figures(row));
  for (const RowHealth& row : failingLookups) {
    verdict.evidence.push_back(Figures(row) + "（解析不出地址，不是丢包）");
  }
  verdict.evidence.push_back("ping正常：" + std::to_string(roles.outside.size() - outsideTroubled) + " / " +
                             std::to_string(roles.outside.size()) + " 个外部目标没有丢包或抖动" +
                             (roles.gateway ? "，网关正常" : ""));
  const DnsServerHealth* fastest = nullptr;
  for (const DnsServerHealth& server : state.dnsServers) {
    if (ServerUsable(server) && (fastest == nullptr || server.averageMs < fastest->averageMs)) fastest = &server;
  }
  if (fastest != nullptr) {
    verdict.evidence.push_back("目前测得最快的DNS服务器：" + fastest->server + "（平均 " +
                               Milliseconds(fastest->averageMs) + "，失败 " + Percent(fastest->LossRatio()) + "）");
  } else {
    verdict.evidence.push_back("还没有测到正常的DNS服务器：可以在“dns服务器：”里输入别的DNS服务器地址试测");
  }
  verdict.evidence.push_back(
      "建议：“dns服务器：”只改变本工具测试的服务器；要让电脑和游戏换用快的DNS服务器，请在系统里设置"
      "（Windows：设置 > 网络和 Internet > 网卡属性 > DNS 服务器分配，选“手动”填入地址；"
      "Linux：网络连接的 IPv4 设置里填写DNS），或在路由器管理页面的 DHCP/DNS 设置里填写，家里所有设备都会用它");
  return verdict;
}

Verdict AllWell(const Roles& roles) {
  Verdict verdict{Finding::kAllWell, "网络正常：没有发现明显问题", {}};
  if (roles.gateway) verdict.evidence.push_back(GatewayLine(roles));
  verdict.evidence.push_back("外部目标 " + std::to_string(roles.outside.size()) + " 个，DNS域名 " +
                             std::to_string(roles.dns.size()) + " 个，都没有明显丢包、抖动或变慢");
  return verdict;
}

std::string DecliningGatewayLine(const Roles& roles) {
  return "网关 " + roles.gateway->target + " 对ping丢包 " + Percent(roles.gateway->LossRatio()) +
         "，而经过它的外部目标几乎不丢包：这是路由器限速回应发给它自己的ping，不影响转发，不是局域网丢包";
}

std::string WindowLine(const NetworkState& state) {
  const auto seconds = state.window.value_or(std::chrono::seconds(0)).count();
  const std::string span =
      seconds >= 60 && seconds % 60 == 0 ? std::to_string(seconds / 60) + " 分钟" : std::to_string(seconds) + " 秒";
  return "判断依据：" + std::string(state.sinceRetest ? "重新测试以来 " : "最近 ") + span + "的测量，每行至少 " +
         std::to_string(kMinSamples) + " 次";
}

}  // namespace

std::vector<Verdict> Diagnose(const NetworkState& state) {
  const Roles roles = SortByRole(state);
  if (!roles.gateway && roles.outside.empty() && roles.dns.empty()) {
    Verdict tooFew{Finding::kTooFewSamples,
                   "测量数据还不够：每一行至少要有 " + std::to_string(kMinSamples) + " 次测量，请稍等再检测",
                   {}};
    if (state.window) tooFew.evidence.push_back(WindowLine(state));
    return {tooFew};
  }

  const std::vector<RowHealth> outsideTroubled = Matching(roles.outside, OutsideInTrouble);
  const std::vector<RowHealth> dnsTroubled = Matching(roles.dns, DnsInTrouble);
  const std::vector<RowHealth> failingLookups = Matching(roles.outside, LookupsFail);
  const GatewayReading gateway = ReadGateway(roles);
  // With a single outside row measured, its trouble is the route's as well.
  const std::size_t routeMinRows = std::min<std::size_t>(kRouteMinRows, roles.outside.size());
  const bool routeTroubled = !outsideTroubled.empty() && outsideTroubled.size() >= routeMinRows &&
                             outsideTroubled.size() * 2 >= roles.outside.size();

  std::vector<Verdict> verdicts;
  std::vector<RowHealth> singleServers;
  if (gateway.troubled) {
    // Everything outside goes through the gateway: its trouble explains theirs
    // and the DNS rows'.
    verdicts.push_back(LocalNetwork(roles, outsideTroubled.size()));
  } else if (routeTroubled) {
    verdicts.push_back(ProviderRoute(roles, outsideTroubled));
  } else {
    // Slow or failing look-ups are the DNS server's where the pings are fine,
    // a few servers in trouble of their own aside.
    if (!dnsTroubled.empty() || !failingLookups.empty()) {
      verdicts.push_back(Dns(state, roles, dnsTroubled, failingLookups, outsideTroubled.size()));
    }
    singleServers = outsideTroubled;
  }
  // A refusing server is its own trouble whatever the route does.
  const auto named = [](const std::vector<RowHealth>& rows, const RowHealth& row) {
    return std::any_of(rows.begin(), rows.end(), [&row](const RowHealth& other) { return other.target == row.target; });
  };
  for (const RowHealth& row : roles.outside) {
    if (gateway.troubled || !Refusing(row) || named(singleServers, row)) continue;
    if (routeTroubled && named(outsideTroubled, row)) continue;
    singleServers.push_back(row);
  }
  if (!singleServers.empty()) verdicts.push_back(SingleServers(roles, singleServers));
  if (verdicts.empty()) verdicts.push_back(AllWell(roles));
  if (gateway.declinesPings) verdicts.front().evidence.push_back(DecliningGatewayLine(roles));
  if (state.window) verdicts.front().evidence.push_back(WindowLine(state));
  return verdicts;
}

}  // namespace qnc
