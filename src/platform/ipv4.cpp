#include "platform/ipv4.h"

#include <cstdint>
#include <cstdio>

#include "platform/socket_api.h"

namespace qnc {

Ipv4NetOrder InetAddr(std::string_view text) {
  if (!SocketsReady()) return kAllOnesAddress;
  const std::string copy(text);  // inet_addr needs a terminated string
  return static_cast<Ipv4NetOrder>(::inet_addr(copy.c_str()));
}

std::optional<Ipv4NetOrder> ParseDottedQuad(std::string_view text) {
  if (!SocketsReady()) return std::nullopt;
  const std::string copy(text);
  in_addr address{};
  if (::inet_pton(AF_INET, copy.c_str(), &address) != 1) return std::nullopt;
  return static_cast<Ipv4NetOrder>(address.s_addr);
}

std::string FormatIpv4(Ipv4NetOrder address) {
  // ntohl gives a u_long on Windows and a uint32_t elsewhere.
  const auto host = static_cast<std::uint32_t>(ntohl(address));
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>((host >> 24) & 0xFFu),
                static_cast<unsigned>((host >> 16) & 0xFFu), static_cast<unsigned>((host >> 8) & 0xFFu),
                static_cast<unsigned>(host & 0xFFu));
  return text;
}

bool IsLoopback(Ipv4NetOrder address) { return (ntohl(address) >> 24) == 127u; }

}  // namespace qnc
