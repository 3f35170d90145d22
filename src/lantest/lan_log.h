#pragma once
#include <string_view>

namespace qnc {

// The LAN test log as the test threads see it. Each change is one atomic step
// with respect to the other threads' changes, and none of them waits for the
// window that shows the log.
class LanLog {
 public:
  virtual ~LanLog() = default;
  virtual void Replace(std::string_view text) = 0;
  virtual void Prepend(std::string_view line) = 0;
  virtual void Append(std::string_view line) = 0;
};

}  // namespace qnc
