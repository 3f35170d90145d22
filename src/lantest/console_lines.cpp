#include "lantest/console_lines.h"

namespace qnc {

void ConsoleLines::Write(std::string_view text) {
  std::lock_guard lock(mutex_);
  stream_ << text;
  stream_.flush();
}

}  // namespace qnc
