#pragma once
// A stand-in for the system's name lookup that hangs until the test lets it go.
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string_view>

#include "platform/resolve.h"

namespace qnc::test {

// A name lookup that hangs, like the system's when the DNS server stays
// silent, until the test releases it (or 30 s pass). It may be left running on
// a helper thread after a test, so its state lives as long as the last lookup.
class HangingLookup {
 public:
  ~HangingLookup() { Release(); }

  HostLookup Function() const {
    return [state = state_](std::string_view) {
      std::unique_lock lock(state->mutex);
      ++state->entered;
      state->changed.notify_all();
      state->changed.wait_for(lock, std::chrono::seconds(30), [&state] { return state->released; });
      return HostLookupResult::Failed(LookupError::kFailed);
    };
  }

  // True when some lookup has started within the time limit.
  bool WaitEntered(std::chrono::milliseconds limit) const {
    std::unique_lock lock(state_->mutex);
    return state_->changed.wait_for(lock, limit, [this] { return state_->entered > 0; });
  }

  void Release() const {
    {
      std::lock_guard lock(state_->mutex);
      state_->released = true;
    }
    state_->changed.notify_all();
  }

 private:
  struct State {
    std::mutex mutex;
    std::condition_variable changed;
    int entered = 0;
    bool released = false;
  };
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

}  // namespace qnc::test
