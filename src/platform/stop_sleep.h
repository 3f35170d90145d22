#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace qnc {

// Sleeps for the given time or until a stop is requested; true when the full
// time passed.
inline bool SleepUnlessStopped(std::stop_token stop, std::chrono::milliseconds duration) {
  std::mutex mutex;
  std::condition_variable_any wake;
  std::unique_lock lock(mutex);
  return !wake.wait_for(lock, stop, duration, [] { return false; });
}

}  // namespace qnc
