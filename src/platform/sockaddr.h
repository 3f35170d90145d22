#pragma once
// Internal to src/platform: conversions between our address values and the
// system's socket address structures.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cstdint>

#include "platform/ipv4.h"

namespace qnc {

inline sockaddr_in MakeSockaddr(Ipv4NetOrder address, std::uint16_t port) {
  sockaddr_in result{};
  result.sin_family = AF_INET;
  result.sin_port = htons(port);
  result.sin_addr.s_addr = address;
  return result;
}

inline std::uint16_t LocalPortOf(int fd) {
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &length) != 0) return 0;
  return ntohs(local.sin_port);
}

}  // namespace qnc
