#pragma once
#include <functional>
#include <optional>
#include <stop_token>
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

// The address of a dotted text, in any form the system's lookup reads, without
// a query; nothing for a name.
std::optional<Ipv4NetOrder> ResolveNumericIpv4(std::string_view host);

// A blocking lookup of one host, as ResolveIpv4 makes it; tests put in their own.
using HostLookup = std::function<std::optional<Ipv4NetOrder>(std::string_view host)>;

// ResolveIpv4 (or `lookup`, when given) that gives up as soon as stop is
// requested. The system's lookup cannot be interrupted and may take many
// seconds when a DNS server stays silent, so a name is looked up on a helper
// thread of its own: on a stop this returns nothing at once and the helper
// finishes by itself, dropping its answer. A dotted address needs no network
// and is read on the calling thread.
std::optional<Ipv4NetOrder> ResolveIpv4UnlessStopped(std::string_view host, std::stop_token stop,
                                                     const HostLookup& lookup = {});

// This machine's host name, or nothing.
std::optional<std::string> LocalHostName();

}  // namespace qnc
