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
  kNameNotFound,  // the name does not exist (NXDOMAIN) or does not resolve
  kRefused,       // the host refused the connection
  kUnreachable,   // an ICMP error for our own probe, no route to the host or its network
  kNoPermission,  // this process may not send pings
  kBadName,       // a text that is no domain name, refused before any query
  kLocalError,    // any other failure on this machine (no socket, a failed send)
};

inline constexpr std::array<FailureReason, 8> kAllFailureReasons{
    FailureReason::kNone,    FailureReason::kTimeout,     FailureReason::kNameNotFound,
    FailureReason::kRefused, FailureReason::kUnreachable, FailureReason::kNoPermission,
    FailureReason::kBadName, FailureReason::kLocalError};

// A short ASCII label that never changes ("ok", "timeout", "nxdomain", ...):
// for machine-readable output (JSON, CSV, metric labels).
std::string_view FailureLabel(FailureReason reason);

// The reason in words, for tooltips and windows ("超时", "域名不存在", ...).
std::string_view FailureText(FailureReason reason);

// The reason a label names; nothing for any other text.
std::optional<FailureReason> FailureReasonFromLabel(std::string_view label);

}  // namespace qnc
