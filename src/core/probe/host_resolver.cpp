#include "core/probe/host_resolver.h"

#include "platform/stoppable_wait.h"

namespace qnc {

namespace {

FailureReason FailureOf(LookupError error) {
  switch (error) {
    case LookupError::kNone:
      return FailureReason::kNone;
    case LookupError::kNoSuchName:
      return FailureReason::kNameNotFound;
    case LookupError::kTimedOut:
      return FailureReason::kLookupTimeout;
    case LookupError::kStopped:
      return FailureReason::kTimeout;
    case LookupError::kFailed:
      break;
  }
  return FailureReason::kLookupFailed;
}

}  // namespace

HostResolver::HostResolver(Options options) : options_(std::move(options)) {}

HostResolver::Clock::time_point HostResolver::Now() const { return options_.now ? options_.now() : Clock::now(); }

std::optional<Ipv4NetOrder> HostResolver::Cached(const std::string& name, Clock::time_point now) {
  std::lock_guard lock(cacheMutex_);
  const auto found = cache_.find(name);
  if (found == cache_.end()) return std::nullopt;
  const Entry& entry = found->second;
  if (now < entry.freshUntil || now < entry.retryAfter) return entry.address;
  return std::nullopt;
}

ResolvedHost HostResolver::Resolve(std::string_view host, std::stop_token stop) {
  if (stop.stop_requested()) return {std::nullopt, FailureReason::kTimeout, {}};
  // A dotted address needs neither the network nor the lock.
  if (const auto numeric = ResolveNumericIpv4(host)) return {numeric, FailureReason::kNone, {}};
  const std::string name(host);
  const Clock::time_point started = Now();
  if (const auto cached = Cached(name, started)) return {cached, FailureReason::kNone, {}};

  {
    std::unique_lock lock(lockMutex_);
    if (!WaitUnlessStopped(released_, lock, stop, [this] { return !held_; })) {
      return {std::nullopt, FailureReason::kTimeout, Now() - started};
    }
    held_ = true;
  }
  // Released however the lookup ends.
  struct Release {
    HostResolver& owner;
    ~Release() {
      {
        std::lock_guard lock(owner.lockMutex_);
        owner.held_ = false;
      }
      owner.released_.notify_one();
    }
  } release{*this};
  return LookUpUnderLock(name, std::move(stop), started);
}

ResolvedHost HostResolver::LookUpUnderLock(const std::string& name, std::stop_token stop, Clock::time_point started) {
  // Another worker may have looked the name up while this one waited.
  if (const auto cached = Cached(name, Now())) return {cached, FailureReason::kNone, Now() - started};

  const HostLookupResult result = ResolveIpv4UnlessStopped(name, stop, options_.lookup, options_.lookupLimit);
  const Clock::time_point now = Now();
  const auto took = now - started;
  std::lock_guard lock(cacheMutex_);
  if (result.address) {
    ForgetLongStale(now);
    cache_[name] = Entry{*result.address, now + options_.freshFor, now};
    return {result.address, FailureReason::kNone, took};
  }
  const auto found = cache_.find(name);
  if (result.error == LookupError::kStopped) {
    return {std::nullopt, FailureReason::kTimeout, took};
  }
  if (result.error == LookupError::kNoSuchName) {
    // The server says the name is gone: its old address is no longer its.
    if (found != cache_.end()) cache_.erase(found);
    return {std::nullopt, FailureReason::kNameNotFound, took};
  }
  if (found != cache_.end() && now - found->second.freshUntil < options_.staleAtMost) {
    found->second.retryAfter = now + options_.retryStaleAfter;
    return {found->second.address, FailureReason::kNone, took};
  }
  if (found != cache_.end()) cache_.erase(found);
  return {std::nullopt, FailureOf(result.error), took};
}

void HostResolver::ForgetLongStale(Clock::time_point now) {
  // Names of rows long deleted would otherwise stay for good.
  constexpr std::size_t kSweepAbove = 1024;
  if (cache_.size() < kSweepAbove) return;
  std::erase_if(cache_, [&](const auto& item) { return now - item.second.freshUntil >= options_.staleAtMost; });
}

}  // namespace qnc
