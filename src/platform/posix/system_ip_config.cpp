#include "platform/ip_config.h"
#include "platform/system_ip_config.h"

namespace qnc {

// Linux keeps both in files: the kernel's route table and the resolver configuration.
std::string SystemGatewayAddress() { return GatewayFromRouteTableFile(kRouteTablePath); }

std::optional<std::vector<std::string>> SystemDnsServers() {
  return DnsServersFromFiles(kResolvConfPath, kResolvedUpstreamPath);
}

}  // namespace qnc
