#pragma once
// Runs one probe worker on its own thread and lets a test wait for its passes.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace qnc::test {

class PassWaiter {
 public:
  // The callback for a worker's onPassEnd; `extra` runs first, on the worker's thread.
  std::function<void(std::uint64_t)> Callback(std::function<void(std::uint64_t)> extra = {}) {
    return [this, extra](std::uint64_t pass) {
      if (extra) extra(pass);
      std::lock_guard lock(mutex_);
      passes_ = pass;
      changed_.notify_all();
    };
  }

  // True when at least `count` passes ended within the time limit.
  bool WaitFor(std::uint64_t count, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return passes_ >= count; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t passes_ = 0;
};

// Starts worker.Run on a thread that is stopped and joined when this goes away.
template <typename Worker>
std::jthread StartWorker(Worker& worker) {
  return std::jthread([&worker](std::stop_token stop) { worker.Run(stop); });
}

}  // namespace qnc::test
