#include "platform/ip_config.h"

#include <cstdint>
#include <optional>
#include <sstream>
#include <variant>
#include <vector>

#include "platform/bounded_read.h"
#include "platform/ipv4.h"
#include "platform/system_ip_config.h"

namespace qnc {

namespace {

// /proc/net/route writes each address as 8 hex digits.
std::optional<Ipv4NetOrder> ParseRouteHex(const std::string& hex) {
  if (hex.size() != 8) return std::nullopt;
  std::uint32_t value = 0;
  for (char c : hex) {
    int digit = 0;
    if (c >= '0' && c <= '9')
      digit = c - '0';
    else if (c >= 'A' && c <= 'F')
      digit = c - 'A' + 10;
    else if (c >= 'a' && c <= 'f')
      digit = c - 'a' + 10;
    else
      return std::nullopt;
    value = (value << 4) | static_cast<std::uint32_t>(digit);
  }
  // The kernel prints the stored (network-order) word as a native number, so
  // on this machine the number read back is that same stored value.
  return static_cast<Ipv4NetOrder>(value);
}

// The system's configuration files are small; a bigger one is not one of them.
constexpr std::size_t kMaxConfigurationBytes = 1024 * 1024;

std::optional<std::string> ReadText(const std::string& path) {
  auto read = ReadRegularFile(path, kMaxConfigurationBytes);
  if (auto* text = std::get_if<std::string>(&read)) return std::move(*text);
  return std::nullopt;
}

std::optional<std::vector<std::string>> ReadNameservers(const std::string& path) {
  const auto text = ReadText(path);
  if (!text) return std::nullopt;
  return NameserversFromResolvConf(*text);
}

}  // namespace

std::vector<std::string> NameserversFromResolvConf(std::string_view text) {
  std::istringstream lines{std::string(text)};
  std::vector<std::string> servers;
  std::string line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string keyword, address;
    if (!(words >> keyword >> address) || keyword != "nameserver") continue;
    if (ParseDottedQuad(address)) servers.push_back(address);
  }
  return servers;
}

std::string GatewayFromRouteTable(std::string_view text) {
  std::istringstream lines{std::string(text)};
  std::string line;
  if (!std::getline(lines, line)) return {};  // the heading line
  while (std::getline(lines, line)) {
    std::istringstream fields(line);
    std::string interface, destination, gateway;
    if (!(fields >> interface >> destination >> gateway)) continue;
    const auto address = ParseRouteHex(gateway);
    if (address && *address != 0) return FormatIpv4(*address);
  }
  return {};
}

std::string GatewayFromRouteTableFile(const std::string& routeTablePath) {
  const auto text = ReadText(routeTablePath);
  return text ? GatewayFromRouteTable(*text) : std::string();
}

std::optional<std::vector<std::string>> DnsServersFromFiles(const std::string& resolvConfPath,
                                                            const std::string& resolvedUpstreamPath) {
  auto servers = ReadNameservers(resolvConfPath);
  if (!servers) return std::nullopt;
  const bool onlyStub = servers->size() == 1 && servers->front() == kResolvedStubAddress;
  if (onlyStub) {
    if (auto upstream = ReadNameservers(resolvedUpstreamPath); upstream && !upstream->empty()) {
      servers = std::move(upstream);
    }
  }
  return servers;
}

std::string FindGatewayAddress(const std::string& routeTablePath) {
  return routeTablePath == kRouteTablePath ? SystemGatewayAddress() : GatewayFromRouteTableFile(routeTablePath);
}

int FindSystemDnsServer(std::string& server, const std::string& resolvConfPath,
                        const std::string& resolvedUpstreamPath) {
  const bool system = resolvConfPath == kResolvConfPath && resolvedUpstreamPath == kResolvedUpstreamPath;
  const auto servers = system ? SystemDnsServers() : DnsServersFromFiles(resolvConfPath, resolvedUpstreamPath);
  if (!servers) return 0;
  if (!servers->empty()) server = servers->front();
  return 1;
}

}  // namespace qnc
