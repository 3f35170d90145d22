#include "platform/resolve.h"

#include <cstring>

#include "platform/socket_api.h"

namespace qnc {

namespace {

// getaddrinfo for IPv4 with the given flags: the first address, or nothing.
std::optional<Ipv4NetOrder> LookUp(std::string_view host, int flags) {
  if (host.empty() || host.size() > kMaxHostNameLength || host.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  if (!SocketsReady()) return std::nullopt;
  const std::string name(host);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;  // one entry per address instead of one per socket type
  hints.ai_flags = flags;
  addrinfo* results = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &results) != 0 || results == nullptr) return std::nullopt;
  std::optional<Ipv4NetOrder> first;
  for (const addrinfo* entry = results; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
      sockaddr_in address{};
      std::memcpy(&address, entry->ai_addr, sizeof address);
      first = address.sin_addr.s_addr;
      break;
    }
  }
  ::freeaddrinfo(results);
  return first;
}

}  // namespace

std::optional<Ipv4NetOrder> ResolveIpv4(std::string_view host) { return LookUp(host, 0); }

std::optional<Ipv4NetOrder> ResolveNumericIpv4(std::string_view host) { return LookUp(host, AI_NUMERICHOST); }

std::optional<std::string> LocalHostName() {
  if (!SocketsReady()) return std::nullopt;
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return std::nullopt;
  return std::string(name);
}

}  // namespace qnc
