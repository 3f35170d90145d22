#pragma once
#include <chrono>
#include <cstdint>
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

// Why a name lookup gave no address.
enum class LookupError : std::uint8_t {
  kNone,        // an address was found
  kNoSuchName,  // the name does not exist (NXDOMAIN, or unknown to every source the system asks)
  kFailed,      // the resolver failed: no IPv4 address for the name, a server failure, no resolver at all
  kTimedOut,    // no answer within the time the caller allowed
  kStopped,     // the caller stopped waiting
};

// The first IPv4 address of a host, or why there is none.
struct HostLookupResult {
  std::optional<Ipv4NetOrder> address;
  LookupError error = LookupError::kNone;

  static HostLookupResult Found(Ipv4NetOrder address) { return {address, LookupError::kNone}; }
  static HostLookupResult Failed(LookupError error) { return {std::nullopt, error}; }
  bool operator==(const HostLookupResult&) const = default;
};

// The first IPv4 address of a host name or of a dotted address, through the
// system's lookup, or why there is none. Blocks as long as the system's
// resolver takes.
HostLookupResult LookUpIpv4(std::string_view host);

// LookUpIpv4's address alone.
std::optional<Ipv4NetOrder> ResolveIpv4(std::string_view host);

// The address of a dotted text, in any form the system's lookup reads, without
// a query; nothing for a name.
std::optional<Ipv4NetOrder> ResolveNumericIpv4(std::string_view host);

// A blocking lookup of one host, as LookUpIpv4 makes it; tests put in their own.
using HostLookup = std::function<HostLookupResult(std::string_view host)>;

// LookUpIpv4 (or `lookup`, when given) that gives up as soon as stop is
// requested (kStopped) or `limit` has passed (kTimedOut). The system's lookup
// cannot be interrupted and may take many seconds when a DNS server stays
// silent, so a name is looked up on a helper thread of its own: when the wait
// ends early this returns at once and the helper finishes by itself, dropping
// its answer. A dotted address needs no network and is read on the calling
// thread.
HostLookupResult ResolveIpv4UnlessStopped(std::string_view host, std::stop_token stop, const HostLookup& lookup = {},
                                          std::chrono::milliseconds limit = std::chrono::hours(1));

// This machine's host name, or nothing.
std::optional<std::string> LocalHostName();

}  // namespace qnc
