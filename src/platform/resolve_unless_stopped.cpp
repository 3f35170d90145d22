#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/resolve.h"
#include "platform/stoppable_wait.h"
#include "platform/thread_group.h"

namespace qnc {

namespace {

// What a helper thread and the thread waiting for it share; whichever ends
// last frees it.
struct PendingLookup {
  std::mutex mutex;
  std::condition_variable_any answered;
  bool done = false;
  HostLookupResult result;
};

// The lookup threads of the whole process. A thread outlives the wait of the
// one that asked when a stop comes first, so it is not joined there; the next
// lookup joins those that have finished. They are never detached: MinGW-w64's
// thread library can hand the record of a thread detached just as it ends to
// another thread, whose join then fails with "No such process". The group is
// never destroyed, so a lookup still hanging when the process ends ends with
// it instead of holding up the exit.
ThreadGroup& LookupThreads() {
  static auto* const threads = new ThreadGroup;
  return *threads;
}

}  // namespace

HostLookupResult ResolveIpv4UnlessStopped(std::string_view host, std::stop_token stop, const HostLookup& lookup,
                                          std::chrono::milliseconds limit) {
  if (stop.stop_requested()) return HostLookupResult::Failed(LookupError::kStopped);
  if (!lookup) {
    // A dotted address (in any form the system's lookup reads) is converted without a query.
    if (const auto numeric = ResolveNumericIpv4(host)) return HostLookupResult::Found(*numeric);
  }
  auto pending = std::make_shared<PendingLookup>();
  const bool started = LookupThreads().Start([pending, lookup, name = std::string(host)](std::stop_token) {
    HostLookupResult result = lookup ? lookup(name) : LookUpIpv4(name);
    {
      std::lock_guard lock(pending->mutex);
      pending->result = result;
      pending->done = true;
    }
    pending->answered.notify_all();
  });
  // No thread to spare: look up here, without the early return.
  if (!started) return lookup ? lookup(host) : LookUpIpv4(host);
  std::unique_lock lock(pending->mutex);
  WaitUnlessStoppedFor(pending->answered, lock, stop, limit, [&pending] { return pending->done; });
  if (pending->done) return pending->result;
  return HostLookupResult::Failed(stop.stop_requested() ? LookupError::kStopped : LookupError::kTimedOut);
}

}  // namespace qnc
