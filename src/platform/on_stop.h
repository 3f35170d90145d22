#pragma once
#include <chrono>
#include <functional>
#include <optional>
#include <stop_token>
#include <thread>
#include <utility>

namespace qnc {

// Runs `action` once when a stop is requested on `stop` while this object
// lives (at once when it already is), like std::stop_callback; when the
// destructor returns the action has run or never will. std::stop_callback's
// registration with MinGW's libstdc++ now and then never returns (seen under
// Wine), so on Windows a watcher thread looks at the token every 20 ms and runs
// the action itself.
class OnStop {
 public:
  OnStop(std::stop_token stop, std::function<void()> action) {
#if defined(_WIN32)
    watcher_ = std::jthread([stop = std::move(stop), action = std::move(action)](std::stop_token done) {
      while (!done.stop_requested()) {
        if (stop.stop_requested()) {
          action();
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      }
    });
#else
    callback_.emplace(std::move(stop), std::move(action));
#endif
  }
  OnStop(const OnStop&) = delete;
  OnStop& operator=(const OnStop&) = delete;

 private:
#if defined(_WIN32)
  std::jthread watcher_;  // asked to stop and joined by its destructor
#else
  std::optional<std::stop_callback<std::function<void()> > > callback_;
#endif
};

}  // namespace qnc
