#pragma once
#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/model/table_kind.h"
#include "core/probe/dns_server_tally.h"
#include "core/probe/failure_reason.h"

namespace qnc {

// One measured row as the diagnosis sees it: the figures of its recent
// samples (the judged window, not the lifetime counters, so that a trouble
// that has passed stops counting).
struct RowHealth {
  TableKind table = TableKind::kPing;
  std::string target;
  // The ping table's row for the LAN gateway.
  bool gateway = false;
  std::uint32_t samples = 0;
  // Of them failed, for any reason.
  std::uint32_t failed = 0;
  // Of the answered samples, in milliseconds.
  double averageMs = 0;
  double jitterMs = 0;
  // The failed samples by reason, indexed by FailureReason.
  std::array<std::uint32_t, kAllFailureReasons.size()> failures{};

  std::uint32_t Failures(FailureReason reason) const { return failures[static_cast<std::size_t>(reason)]; }
  // Of a ping or game row, the probes whose name lookup failed: nothing was sent.
  std::uint32_t LookupFailures() const;
  // The probes that went out on the network.
  std::uint32_t Sent() const;
  // Probes lost on the way: of a ping or game row those that got no answer or
  // an unreachable error (a refusal is an answer, a failed lookup sent
  // nothing); of a DNS row every failed look-up.
  std::uint32_t Lost() const;
  double LossRatio() const { return Sent() == 0 ? 0.0 : static_cast<double>(Lost()) / Sent(); }
  double RatioOfSent(FailureReason reason) const {
    return Sent() == 0 ? 0.0 : static_cast<double>(Failures(reason)) / Sent();
  }
  double LookupFailureRatio() const { return samples == 0 ? 0.0 : static_cast<double>(LookupFailures()) / samples; }
};

// Everything the diagnosis looks at.
struct NetworkState {
  std::vector<RowHealth> rows;
  std::vector<DnsServerHealth> dnsServers;
  // The span of time the rows' figures cover, ending now (shorter than the
  // usual window when the tables were retested within it); nothing when the
  // figures come from elsewhere.
  std::optional<std::chrono::seconds> window;
  bool sinceRetest = false;
};

}  // namespace qnc
