#pragma once
#include <cstdint>
#include <string>
#include <string_view>

namespace qnc {

struct HostPort {
  std::string host;
  std::uint16_t port = 80;
};

// Splits a game row's text at its first colon: the host before it, and the
// port after it read like atoi (leading blanks, a sign, digits up to the first
// other character, 0 when there are none) and cut to its low 16 bits. Without
// a colon the port is 80.
HostPort SplitHostPort(std::string_view text);

}  // namespace qnc
