#pragma once
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>

namespace qnc {

// Waits on `changed` (with `lock` held on entry and on return) until `ready()`
// holds or a stop is requested; true when ready() holds.
//
// On Windows the stop token is looked at between waits of at most 20 ms: the
// stop_token overloads of condition_variable_any register a std::stop_callback,
// and with MinGW's libstdc++ that registration now and then never returns (seen
// under Wine, with no stop requested at all). Elsewhere the standard wait wakes
// at once on a stop.
inline constexpr std::chrono::milliseconds kStopPollSlice{20};

template <typename Ready>
bool WaitUnlessStopped(std::condition_variable_any& changed, std::unique_lock<std::mutex>& lock, std::stop_token stop,
                       Ready ready) {
#if defined(_WIN32)
  while (!ready()) {
    if (stop.stop_requested()) return false;
    changed.wait_for(lock, kStopPollSlice);
  }
  return true;
#else
  return changed.wait(lock, std::move(stop), ready);
#endif
}

// As above, giving up after `limit` as well.
template <typename Ready>
bool WaitUnlessStoppedFor(std::condition_variable_any& changed, std::unique_lock<std::mutex>& lock,
                          std::stop_token stop, std::chrono::milliseconds limit, Ready ready) {
#if defined(_WIN32)
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!ready()) {
    if (stop.stop_requested()) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return ready();
    changed.wait_for(lock, std::min<std::chrono::steady_clock::duration>(deadline - now, kStopPollSlice));
  }
  return true;
#else
  return changed.wait_for(lock, std::move(stop), limit, ready);
#endif
}

}  // namespace qnc
