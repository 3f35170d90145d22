#include "core/lantest/lan_log.h"

#include <string>

namespace qnc {

void ConsoleLines::Write(std::string_view text) {
  std::lock_guard lock(mutex_);
  stream_ << text;
  stream_.flush();
}

void ConsoleLog::Print(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c != '\r') out += c;
  }
  console_.Write(out);
}

}  // namespace qnc
