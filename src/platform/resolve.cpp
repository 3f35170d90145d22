#include "platform/resolve.h"

#include <cstring>

#include "platform/socket_api.h"

namespace qnc {

namespace {

// What a getaddrinfo error says about the name.
LookupError LookupErrorOf(int error) {
  switch (error) {
    case EAI_NONAME:
      return LookupError::kNoSuchName;
    default:
      // EAI_AGAIN (servers silent or failing), EAI_FAIL, a name without an
      // IPv4 address and local trouble: the name may well exist.
      return LookupError::kFailed;
  }
}

// getaddrinfo for IPv4 with the given flags: the first address, or why none.
HostLookupResult LookUp(std::string_view host, int flags) {
  if (host.empty() || host.size() > kMaxHostNameLength || host.find('\0') != std::string_view::npos) {
    return HostLookupResult::Failed(LookupError::kNoSuchName);
  }
  if (!SocketsReady()) return HostLookupResult::Failed(LookupError::kFailed);
  const std::string name(host);
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;  // one entry per address instead of one per socket type
  hints.ai_flags = flags;
  addrinfo* results = nullptr;
  const int error = ::getaddrinfo(name.c_str(), nullptr, &hints, &results);
  if (error != 0) return HostLookupResult::Failed(LookupErrorOf(error));
  if (results == nullptr) return HostLookupResult::Failed(LookupError::kFailed);
  HostLookupResult first = HostLookupResult::Failed(LookupError::kFailed);
  for (const addrinfo* entry = results; entry != nullptr; entry = entry->ai_next) {
    if (entry->ai_family == AF_INET && entry->ai_addrlen >= sizeof(sockaddr_in)) {
      sockaddr_in address{};
      std::memcpy(&address, entry->ai_addr, sizeof address);
      first = HostLookupResult::Found(address.sin_addr.s_addr);
      break;
    }
  }
  ::freeaddrinfo(results);
  return first;
}

}  // namespace

HostLookupResult LookUpIpv4(std::string_view host) { return LookUp(host, 0); }

std::optional<Ipv4NetOrder> ResolveIpv4(std::string_view host) { return LookUp(host, 0).address; }

std::optional<Ipv4NetOrder> ResolveNumericIpv4(std::string_view host) { return LookUp(host, AI_NUMERICHOST).address; }

std::optional<std::string> LocalHostName() {
  if (!SocketsReady()) return std::nullopt;
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return std::nullopt;
  return std::string(name);
}

}  // namespace qnc
