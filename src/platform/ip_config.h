#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qnc {

// The system's own configuration. On Linux these are the files it lives in; on
// Windows, where IP Helper keeps it, a lookup given these default paths asks IP
// Helper instead, and any other path is a file in the Linux format (tests).
inline constexpr const char* kRouteTablePath = "/proc/net/route";
inline constexpr const char* kResolvConfPath = "/etc/resolv.conf";
inline constexpr const char* kResolvedUpstreamPath = "/run/systemd/resolve/resolv.conf";
inline constexpr const char* kResolvedStubAddress = "127.0.0.53";

// The dotted address of the first gateway in the route table that is not
// 0.0.0.0, in file order; an empty text when there is none or the table
// cannot be read.
std::string FindGatewayAddress(const std::string& routeTablePath = kRouteTablePath);

// The parsers behind the lookups, over the text of the file: the first gateway
// of a route table (as above), and the IPv4 addresses of a resolver
// configuration's nameserver lines, in file order.
std::string GatewayFromRouteTable(std::string_view text);
std::vector<std::string> NameserversFromResolvConf(std::string_view text);

// The system's first IPv4 DNS server. Returns 1 when the resolver
// configuration could be read (whether or not a server was found; then
// `server` holds it or is left alone), 0 when it could not. Where the
// configuration names only systemd-resolved's local stub, the stub's upstream
// list is used instead.
int FindSystemDnsServer(std::string& server, const std::string& resolvConfPath = kResolvConfPath,
                        const std::string& resolvedUpstreamPath = kResolvedUpstreamPath);

}  // namespace qnc
