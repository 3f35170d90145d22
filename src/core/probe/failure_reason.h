#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace qnc {

// Why a probe got no answer; kNone when it did. The tables show every failure
// as "超时"; the history, the statistics and the exports keep the reason.
enum class FailureReason : std::uint8_t {
  kNone,          // answered
  kTimeout,       // nothing came back in time
  kNameNotFound,  // the name does not exist (the server said NXDOMAIN)
  kRefused,       // the host refused the connection
  kUnreachable,   // an ICMP error for our own probe, no route to the host or its network
  kNoPermission,  // this process may not send pings
  kBadName,       // a text that is no domain name, refused before any query
  kLocalError,    // any other failure on this machine (no socket, a failed send)
  // The two below are the system's name lookup failing before a ping or a
  // connect could be sent: trouble of the DNS, not of the path to the host.
  kLookupFailed,   // the lookup failed (server failure, no IPv4 address, no resolver)
  kLookupTimeout,  // the lookup got no answer in time
};

inline constexpr std::array<FailureReason, 10> kAllFailureReasons{
    FailureReason::kNone,         FailureReason::kTimeout,     FailureReason::kNameNotFound,
    FailureReason::kRefused,      FailureReason::kUnreachable, FailureReason::kNoPermission,
    FailureReason::kBadName,      FailureReason::kLocalError,  FailureReason::kLookupFailed,
    FailureReason::kLookupTimeout};

// True for the reasons that are a failed name lookup of a ping or game row
// (including a name that does not exist): no probe went out on the network.
constexpr bool IsLookupFailure(FailureReason reason) {
  return reason == FailureReason::kNameNotFound || reason == FailureReason::kLookupFailed ||
         reason == FailureReason::kLookupTimeout;
}

// A short ASCII label that never changes ("ok", "timeout", "nxdomain", ...):
// for machine-readable output (JSON, CSV, metric labels).
std::string_view FailureLabel(FailureReason reason);

// The reason in words, for tooltips and windows ("超时", "域名不存在", ...).
std::string_view FailureText(FailureReason reason);

// The reason a label names; nothing for any other text.
std::optional<FailureReason> FailureReasonFromLabel(std::string_view label);

}  // namespace qnc
