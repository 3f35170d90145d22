#pragma once
// A transparent delay on a link of the route lab: frames that arrive on one
// interface of a namespace go out of the other, those from `left` after the
// delay of the moment, those from `right` at once. The kernel here has no
// netem, so the delay is made by hand: two packet sockets and a queue.
#include <atomic>
#include <chrono>
#include <string>
#include <thread>

namespace qnc {

class DelayLine {
 public:
  // Starts relaying in the namespace /run/netns/<ns>; throws when it cannot.
  DelayLine(const std::string& ns, const std::string& left, const std::string& right);
  ~DelayLine();
  DelayLine(const DelayLine&) = delete;
  DelayLine& operator=(const DelayLine&) = delete;

  void SetDelay(std::chrono::milliseconds delay) { delayMs_ = static_cast<int>(delay.count()); }

 private:
  void Relay(std::stop_token stop);

  int left_ = -1;
  int right_ = -1;
  std::atomic<int> delayMs_{0};
  std::jthread relay_;
};

}  // namespace qnc
