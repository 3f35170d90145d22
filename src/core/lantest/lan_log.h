#pragma once
#include <mutex>
#include <ostream>
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

// The log of the headless front end: every change prints its text, as it
// arrives, with "\n" line ends instead of "\r\n".
class ConsoleLog final : public LanLog {
 public:
  explicit ConsoleLog(ConsoleLines& console) : console_(console) {}
  void Replace(std::string_view text) override { Print(text); }
  void Prepend(std::string_view line) override { Print(line); }
  void Append(std::string_view line) override { Print(line); }

 private:
  void Print(std::string_view text);
  ConsoleLines& console_;
};

}  // namespace qnc
