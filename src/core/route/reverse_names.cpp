#include "core/route/reverse_names.h"

#include <memory>

#include "platform/stoppable_wait.h"
#include "platform/thread_group.h"
#include "platform/ttl_probe.h"

namespace qnc {

namespace {

struct PendingName {
  std::mutex mutex;
  std::condition_variable_any answered;
  bool done = false;
  std::optional<std::string> name;
};

// The system's lookup cannot be interrupted; each runs on a helper thread of
// this group, which is never destroyed, so one still hanging at exit does not
// hold the process up.
ThreadGroup& NameThreads() {
  static auto* const threads = new ThreadGroup;
  return *threads;
}

}  // namespace

ReverseNames::ReverseNames(Lookup lookup, std::chrono::milliseconds limit)
    : lookup_(lookup ? std::move(lookup) : Lookup(ReverseName)), limit_(limit) {
  worker_ = std::jthread([this](std::stop_token stop) { Serve(stop); });
}

ReverseNames::~ReverseNames() {
  worker_.request_stop();
  wanted_.notify_all();
}

void ReverseNames::Want(Ipv4NetOrder address) {
  {
    std::lock_guard lock(mutex_);
    if (!names_.try_emplace(address).second) return;
    queue_.push_back(address);
  }
  wanted_.notify_all();
}

std::string ReverseNames::NameOf(Ipv4NetOrder address) const {
  std::lock_guard lock(mutex_);
  const auto found = names_.find(address);
  return found != names_.end() && found->second ? *found->second : "";
}

bool ReverseNames::Settled() const {
  std::lock_guard lock(mutex_);
  for (const auto& [address, name] : names_) {
    if (!name) return false;
  }
  return true;
}

void ReverseNames::Serve(std::stop_token stop) {
  for (;;) {
    Ipv4NetOrder address = 0;
    {
      std::unique_lock lock(mutex_);
      if (!WaitUnlessStopped(wanted_, lock, stop, [this] { return !queue_.empty(); })) return;
      address = queue_.front();
      queue_.pop_front();
    }
    auto pending = std::make_shared<PendingName>();
    const bool started = NameThreads().Start([pending, lookup = lookup_, address](std::stop_token) {
      auto name = lookup(address);
      {
        std::lock_guard lock(pending->mutex);
        pending->name = std::move(name);
        pending->done = true;
      }
      pending->answered.notify_all();
    });
    std::string name;
    if (started) {
      std::unique_lock lock(pending->mutex);
      WaitUnlessStoppedFor(pending->answered, lock, stop, limit_, [&pending] { return pending->done; });
      if (pending->done && pending->name) name = *pending->name;
    }
    std::lock_guard lock(mutex_);
    names_[address] = name;
  }
}

}  // namespace qnc
