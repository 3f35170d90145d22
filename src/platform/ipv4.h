#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qnc {

// An IPv4 address as it travels on the wire: network byte order in memory.
using Ipv4NetOrder = std::uint32_t;

inline constexpr Ipv4NetOrder kAllOnesAddress = 0xFFFFFFFFu;

// Dotted text to address with the classic inet_addr rules: a text that is no
// address gives the all-ones address, which callers use as it comes.
Ipv4NetOrder InetAddr(std::string_view text);

// Strict dotted-quad parse ("a.b.c.d", each 0..255); nothing for anything else.
std::optional<Ipv4NetOrder> ParseDottedQuad(std::string_view text);

// Dotted decimal text of an address.
std::string FormatIpv4(Ipv4NetOrder address);

// True when the address lies in 127.0.0.0/8.
bool IsLoopback(Ipv4NetOrder address);

}  // namespace qnc
