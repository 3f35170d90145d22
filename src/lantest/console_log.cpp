#include "lantest/console_log.h"

#include <string>

namespace qnc {

void ConsoleLog::Print(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (c != '\r') out += c;
  }
  console_.Write(out);
}

}  // namespace qnc
