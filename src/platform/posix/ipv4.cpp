#include "platform/ipv4.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdio>

namespace qnc {

Ipv4NetOrder InetAddr(std::string_view text) {
  const std::string copy(text);  // inet_addr needs a terminated string
  return static_cast<Ipv4NetOrder>(inet_addr(copy.c_str()));
}

std::optional<Ipv4NetOrder> ParseDottedQuad(std::string_view text) {
  const std::string copy(text);
  in_addr address{};
  if (inet_pton(AF_INET, copy.c_str(), &address) != 1) return std::nullopt;
  return static_cast<Ipv4NetOrder>(address.s_addr);
}

std::string FormatIpv4(Ipv4NetOrder address) {
  const auto host = ntohl(address);
  char text[16];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", (host >> 24) & 0xFFu, (host >> 16) & 0xFFu, (host >> 8) & 0xFFu,
                host & 0xFFu);
  return text;
}

bool IsLoopback(Ipv4NetOrder address) { return (ntohl(address) >> 24) == 127u; }

}  // namespace qnc
