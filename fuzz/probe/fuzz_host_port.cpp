// Feeds arbitrary game row texts to the host:port split: the host is the text
// before the first colon, and a text without a colon means port 80.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/probe/host_port.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const qnc::HostPort split = qnc::SplitHostPort(text);
  const std::size_t colon = text.find(':');
  if (split.host != text.substr(0, colon)) __builtin_trap();
  if (colon == std::string_view::npos && split.port != 80) __builtin_trap();
  return 0;
}
