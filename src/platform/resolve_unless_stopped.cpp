#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/resolve.h"

namespace qnc {

namespace {

// What a helper thread and the thread waiting for it share; whichever ends
// last frees it.
struct PendingLookup {
  std::mutex mutex;
  std::condition_variable_any answered;
  bool done = false;
  std::optional<Ipv4NetOrder> address;
};

}  // namespace

std::optional<Ipv4NetOrder> ResolveIpv4UnlessStopped(std::string_view host, std::stop_token stop,
                                                     const HostLookup& lookup) {
  if (stop.stop_requested()) return std::nullopt;
  if (!lookup) {
    // A dotted address (in any form the system's lookup reads) is converted without a query.
    if (const auto numeric = ResolveNumericIpv4(host)) return numeric;
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

}  // namespace qnc
