#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

#include "platform/stoppable_wait.h"

namespace qnc {

// Sleeps for the given time or until a stop is requested; true when the full
// time passed.
inline bool SleepUnlessStopped(std::stop_token stop, std::chrono::milliseconds duration) {
  std::mutex mutex;
  std::condition_variable_any wake;
  std::unique_lock lock(mutex);
  WaitUnlessStoppedFor(wake, lock, stop, duration, [] { return false; });
  return !stop.stop_requested();
}

}  // namespace qnc
