#include "diagnosis/diagnosis.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "diagnosis/table_names.h"

namespace qnc {

namespace {

using namespace diagnosis;

std::string Format(const char* format, double value) {
  char text[32];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// "35 ms", "4.5 ms", "0.06 ms": two decimals under a millisecond (a LAN), one
// under 10 ms, none above.
std::string Milliseconds(double value) {
  return Format(value < 1 ? "%.2f" : (value < 10 ? "%.1f" : "%.0f"), value) + " ms";
}

// "ping表 192.0.2.1：丢包 12.5%（3/24），平均 35 ms，抖动 12 ms"
std::string Figures(const RowHealth& row) {
  std::string text = std::string(TableName(row.table)) + " " + row.target + "：";
  text += row.table == TableKind::kDns ? "失败 " : "丢包 ";
  text += Format("%.1f", row.LossRatio() * 100) + "%（" + std::to_string(row.failed) + "/" +
          std::to_string(row.samples) + "）";
  const std::uint32_t answered = row.samples - std::min(row.failed, row.samples);
  if (answered == 0) return text + "，全部失败";
  text += "，平均 " + Milliseconds(row.averageMs);
  if (answered >= 2) text += "，抖动 " + Milliseconds(row.jitterMs);
  return text;
}

bool Measured(const RowHealth& row) { return row.samples >= kMinSamples; }

bool GatewayInTrouble(const RowHealth& row) {
  return row.LossRatio() >= kGatewayLossRatio || row.averageMs >= kGatewaySlowMs || row.jitterMs >= kGatewayJitterMs;
}

bool OutsideInTrouble(const RowHealth& row) {
  return row.LossRatio() >= kOutsideLossRatio || row.jitterMs >= kOutsideJitterMs;
}

bool DnsInTrouble(const RowHealth& row) { return row.LossRatio() >= kDnsFailRatio || row.averageMs >= kDnsSlowMs; }

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

std::vector<RowHealth> InTrouble(const std::vector<RowHealth>& rows, bool (*trouble)(const RowHealth&)) {
  std::vector<RowHealth> found;
  std::copy_if(rows.begin(), rows.end(), std::back_inserter(found), trouble);
  return found;
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

Verdict SingleServer(const Roles& roles, const RowHealth& row, std::size_t troubled) {
  Verdict verdict{Finding::kSingleServer, "问题只在单个服务器：" + row.target + "，其他目标正常", {}};
  verdict.evidence.push_back(Figures(row));
  verdict.evidence.push_back(GatewayLine(roles));
  verdict.evidence.push_back("其他外部目标中 " + std::to_string(roles.outside.size() - troubled) + " 个正常");
  return verdict;
}

Verdict Dns(const NetworkState& state, const Roles& roles, const std::vector<RowHealth>& troubled,
            std::size_t outsideTroubled) {
  Verdict verdict{Finding::kDns, "问题最可能在DNS：域名解析慢或失败，而ping正常", {}};
  for (const RowHealth& row : troubled) verdict.evidence.push_back(Figures(row));
  verdict.evidence.push_back("ping正常：" + std::to_string(roles.outside.size() - outsideTroubled) + " / " +
                             std::to_string(roles.outside.size()) + " 个外部目标没有丢包或抖动" +
                             (roles.gateway ? "，网关正常" : ""));
  const DnsServerHealth* fastest = nullptr;
  for (const DnsServerHealth& server : state.dnsServers) {
    if (ServerUsable(server) && (fastest == nullptr || server.averageMs < fastest->averageMs)) fastest = &server;
  }
  if (fastest != nullptr) {
    verdict.evidence.push_back("目前测得最快的DNS服务器：" + fastest->server + "（平均 " +
                               Milliseconds(fastest->averageMs) + "，失败 " +
                               Format("%.1f", fastest->LossRatio() * 100) + "%），可以在“dns服务器：”里换用它");
  } else {
    verdict.evidence.push_back("还没有测到正常的DNS服务器；可以在“dns服务器：”里换一个地址再测");
  }
  return verdict;
}

Verdict AllWell(const Roles& roles) {
  Verdict verdict{Finding::kAllWell, "网络正常：没有发现明显问题", {}};
  if (roles.gateway) verdict.evidence.push_back(GatewayLine(roles));
  verdict.evidence.push_back("外部目标 " + std::to_string(roles.outside.size()) + " 个，DNS域名 " +
                             std::to_string(roles.dns.size()) + " 个，都没有明显丢包、抖动或变慢");
  return verdict;
}

}  // namespace

std::vector<Verdict> Diagnose(const NetworkState& state) {
  const Roles roles = SortByRole(state);
  if (!roles.gateway && roles.outside.empty() && roles.dns.empty()) {
    return {{Finding::kTooFewSamples,
             "测量数据还不够：每一行至少要有 " + std::to_string(kMinSamples) + " 次测量，请稍等几秒再检测",
             {}}};
  }

  const std::vector<RowHealth> outsideTroubled = InTrouble(roles.outside, OutsideInTrouble);
  const std::vector<RowHealth> dnsTroubled = InTrouble(roles.dns, DnsInTrouble);
  const bool gatewayTroubled = roles.gateway && GatewayInTrouble(*roles.gateway);
  // With a single outside row measured, its trouble is the route's as well.
  const std::size_t routeMinRows = std::min<std::size_t>(kRouteMinRows, roles.outside.size());
  const bool routeTroubled = !outsideTroubled.empty() && outsideTroubled.size() >= routeMinRows &&
                             outsideTroubled.size() * 2 >= roles.outside.size();

  std::vector<Verdict> verdicts;
  if (gatewayTroubled) {
    // Everything outside goes through the gateway: its trouble explains theirs
    // and the DNS rows'.
    verdicts.push_back(LocalNetwork(roles, outsideTroubled.size()));
  } else if (routeTroubled) {
    verdicts.push_back(ProviderRoute(roles, outsideTroubled));
  } else {
    // Slow look-ups are the DNS server's where the pings are fine, a few
    // servers in trouble of their own aside.
    if (!dnsTroubled.empty()) verdicts.push_back(Dns(state, roles, dnsTroubled, outsideTroubled.size()));
    for (const RowHealth& row : outsideTroubled) verdicts.push_back(SingleServer(roles, row, outsideTroubled.size()));
  }
  if (verdicts.empty()) verdicts.push_back(AllWell(roles));
  return verdicts;
}

}  // namespace qnc
