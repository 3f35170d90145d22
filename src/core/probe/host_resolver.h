#pragma once
#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/probe/failure_reason.h"
#include "platform/ipv4.h"
#include "platform/resolve.h"

namespace qnc {

// The address a ping or game row is probed at, or why there is none, and how
// long finding it took (zero for an address or a cached name).
struct ResolvedHost {
  std::optional<Ipv4NetOrder> address;
  FailureReason failure = FailureReason::kNone;
  std::chrono::steady_clock::duration lookupTime{};
};

// The ping and game workers' name lookups. A row's probe is timed from the
// moment its address is known, so the tables show the network's round trip
// and never the resolver's delay; this class keeps that lookup off every
// probe where it can:
// - a dotted address is read at once, without the lock or the cache;
// - a name is looked up through the system at most once per lifetime (a
//   minute: the system's lookup gives no record lifetime, and a minute keeps a
//   moved server from being measured long at its old address) and served from
//   the cache in between;
// - when a refresh fails for lack of an answer (not when the server says the
//   name is gone), the last address keeps serving for a while, as caching
//   resolvers do with stale records, and the refresh is retried only every few
//   seconds so a silent resolver does not slow every pass;
// - lookups run one at a time under the resolver lock (the system's lookup is
//   not safe to run in parallel everywhere) and are cut off after a time limit
//   (the name then fails as "DNS 超时").
class HostResolver {
 public:
  using Clock = std::chrono::steady_clock;

  struct Options {
    // Stands in for the system's name lookup (tests); empty: the system's.
    HostLookup lookup;
    // Stands in for the steady clock (tests); empty: the real one.
    std::function<Clock::time_point()> now;
    std::chrono::milliseconds lookupLimit{5000};
    std::chrono::milliseconds freshFor{60'000};
    std::chrono::milliseconds retryStaleAfter{10'000};
    std::chrono::milliseconds staleAtMost{600'000};
  };

  HostResolver() : HostResolver(Options{}) {}
  explicit HostResolver(Options options);

  // The address of host (a name or a dotted address). Nothing, with
  // kTimeout, at once when stop is requested: while waiting for the lock
  // (another worker may sit in a lookup that hangs) or for the lookup itself.
  ResolvedHost Resolve(std::string_view host, std::stop_token stop);

 private:
  struct Entry {
    Ipv4NetOrder address = 0;
    Clock::time_point freshUntil;
    // After a failed refresh: no new lookup before this.
    Clock::time_point retryAfter;
  };

  Clock::time_point Now() const;
  // The cached address of name if it may be used at `now` without a lookup.
  std::optional<Ipv4NetOrder> Cached(const std::string& name, Clock::time_point now);
  // Drops entries too old to serve, once the cache has grown large (caller holds cacheMutex_).
  void ForgetLongStale(Clock::time_point now);
  ResolvedHost LookUpUnderLock(const std::string& name, std::stop_token stop, Clock::time_point started);

  const Options options_;

  std::mutex cacheMutex_;
  std::map<std::string, Entry, std::less<>> cache_;

  // The resolver lock: a flag under a mutex with a stoppable wait for it to
  // clear, rather than a timed mutex: waiting stops at once on a stop
  // request, and ThreadSanitizer sees every step (it cannot follow glibc's
  // timed locks).
  std::mutex lockMutex_;
  std::condition_variable_any released_;
  bool held_ = false;
};

}  // namespace qnc
