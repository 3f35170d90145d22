#pragma once
#include <cstdint>
#include <string_view>

namespace qnc {

// A port field read the way the C library's atoi reads it: leading white
// space, an optional sign, decimal digits up to the first other character; 0
// when there is no digit. Values beyond the int range saturate.
int ReadPortNumber(std::string_view text);

// The port a socket uses for a number as read: its low 16 bits.
inline std::uint16_t SocketPort(int number) { return static_cast<std::uint16_t>(number); }

}  // namespace qnc
