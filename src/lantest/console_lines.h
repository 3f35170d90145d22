#pragma once
#include <mutex>
#include <ostream>
#include <string_view>

namespace qnc {

// A text stream that several test threads write whole lines to: the
// diagnostic lines of the LAN test ("bind()fail98") and, in the headless front
// end, the log lines. One lock per stream keeps each write in one piece.
class ConsoleLines {
 public:
  explicit ConsoleLines(std::ostream& stream) : stream_(stream) {}
  // Writes the text as it is and flushes.
  void Write(std::string_view text);

 private:
  std::mutex mutex_;
  std::ostream& stream_;
};

}  // namespace qnc
