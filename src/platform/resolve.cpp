#include "platform/resolve.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace qnc {

namespace {

// getaddrinfo for IPv4 with the given flags: the first address, or nothing.
std::optional<Ipv4NetOrder> LookUp(std::string_view host, int flags) {
  if (host.empty() || host.size() > kMaxHostNameLength || host.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
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

// What a helper thread and the thread waiting for it share; whichever ends
// last frees it.
struct PendingLookup {
  std::mutex mutex;
  std::condition_variable_any answered;
  bool done = false;
  std::optional<Ipv4NetOrder> address;
};

}  // namespace

std::optional<Ipv4NetOrder> ResolveIpv4(std::string_view host) { return LookUp(host, 0); }

std::optional<Ipv4NetOrder> ResolveIpv4UnlessStopped(std::string_view host, std::stop_token stop,
                                                     const HostLookup& lookup) {
  if (stop.stop_requested()) return std::nullopt;
  if (!lookup) {
    // A dotted address (in any form getaddrinfo reads) is converted without a query.
    if (const auto numeric = LookUp(host, AI_NUMERICHOST)) return numeric;
  }
  auto pending = std::make_shared<PendingLookup>();
  try {
    std::thread([pending, lookup, name = std::string(host)] {
      std::optional<Ipv4NetOrder> address = lookup ? lookup(name) : ResolveIpv4(name);
      {
        std::lock_guard lock(pending->mutex);
        pending->address = address;
        pending->done = true;
      }
      pending->answered.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    // No thread to spare: look up here, without the early return on a stop.
    return lookup ? lookup(host) : ResolveIpv4(host);
  }
  std::unique_lock lock(pending->mutex);
  pending->answered.wait(lock, stop, [&pending] { return pending->done; });
  return pending->done ? pending->address : std::nullopt;
}

std::optional<std::string> LocalHostName() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0) return std::nullopt;
  return std::string(name);
}

}  // namespace qnc
