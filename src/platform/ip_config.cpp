#include "platform/ip_config.h"

#include <cstdint>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "platform/ipv4.h"

namespace qnc {

namespace {

// /proc/net/route writes each address as 8 hex digits.
std::optional<Ipv4NetOrder> ParseRouteHex(const std::string& hex) {
  if (hex.size() != 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : hex) {
    int digit = 0;
    if (c >= '0' && c <= '9') digit = c - '0';
    else if (c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    else return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  // The kernel prints the stored (network-order) word as a native number, so
  // on this machine the number read back is that same stored value.
  return static_cast<Ipv4NetOrder>(value);
}

std::optional<std::vector<std::string>> ReadNameservers(const std::string& path) {
  std::ifstream file(path);
  if (!file) return std::nullopt;
  std::vector<std::string> servers;
  std::string line;
  while (std::getline(file, line)) {
    std::istringstream words(line);
    std::string keyword, address;
    if (!(words >> keyword >> address) || keyword != "nameserver") continue;
    if (ParseDottedQuad(address)) servers.push_back(address);
  }
  return servers;
}

}  // namespace

std::string FindGatewayAddress(const std::string& routeTablePath) {
  std::ifstream file(routeTablePath);
  std::string line;
  if (!file || !std::getline(file, line)) return {};  // the heading line
  while (std::getline(file, line)) {
    std::istringstream fields(line);
    std::string interface, destination, gateway;
    if (!(fields >> interface >> destination >> gateway)) continue;
    const auto address = ParseRouteHex(gateway);
    if (address && *address != 0) return FormatIpv4(*address);
  }
  return {};
}

int FindSystemDnsServer(std::string& server, const std::string& resolvConfPath,
                        const std::string& resolvedUpstreamPath) {
  auto servers = ReadNameservers(resolvConfPath);
  if (!servers) return 0;
  const bool onlyStub = servers->size() == 1 && servers->front() == kResolvedStubAddress;
  if (onlyStub) {
    if (auto upstream = ReadNameservers(resolvedUpstreamPath); upstream && !upstream->empty()) {
      servers = std::move(upstream);
    }
  }
  if (!servers->empty()) server = servers->front();
  return 1;
}

}  // namespace qnc
