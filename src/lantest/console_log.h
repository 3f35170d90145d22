#pragma once
#include <string_view>

#include "lantest/console_lines.h"
#include "lantest/lan_log.h"

namespace qnc {

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
