#pragma once
// Internal to src/platform: where each system keeps its gateway and DNS
// servers, behind the lookups of ip_config.h.
#include <optional>
#include <string>
#include <vector>

namespace qnc {

// The system's first gateway that is not 0.0.0.0, dotted; empty when none.
std::string SystemGatewayAddress();

// The system's IPv4 DNS servers in its order, or nothing when its resolver
// configuration cannot be read.
std::optional<std::vector<std::string>> SystemDnsServers();

// The lookups over files in the Linux formats, which every system can read.
std::string GatewayFromRouteTableFile(const std::string& routeTablePath);
std::optional<std::vector<std::string>> DnsServersFromFiles(const std::string& resolvConfPath,
                                                            const std::string& resolvedUpstreamPath);

}  // namespace qnc
