#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "platform/ipv4.h"

namespace qnc {

// The longest text that can name a host: a DNS name of 253 characters (a dotted
// address is shorter). Longer texts are refused without a lookup.
inline constexpr std::size_t kMaxHostNameLength = 253;

// The first IPv4 address of a host name or of a dotted address, or nothing.
// Callers that share the system resolver hold their resolver lock around it.
std::optional<Ipv4NetOrder> ResolveIpv4(std::string_view host);

// This machine's host name, or nothing.
std::optional<std::string> LocalHostName();

}  // namespace qnc
