#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "probe/table_kind.h"

namespace qnc {

// One measured row as the diagnosis sees it: the figures of its recent
// samples (the kept history, not the lifetime counters, so that a trouble
// that has passed stops counting).
struct RowHealth {
  TableKind table = TableKind::kPing;
  std::string target;
  // The ping table's row for the LAN gateway.
  bool gateway = false;
  std::uint32_t samples = 0;
  std::uint32_t failed = 0;
  // Of the answered samples, in milliseconds.
  double averageMs = 0;
  double jitterMs = 0;

  double LossRatio() const { return samples == 0 ? 0.0 : static_cast<double>(failed) / samples; }
};

// A DNS server that the DNS table has queried, with the figures of the
// look-ups it answered or failed.
struct DnsServerHealth {
  std::string server;
  std::uint32_t samples = 0;
  std::uint32_t failed = 0;
  double averageMs = 0;

  double LossRatio() const { return samples == 0 ? 0.0 : static_cast<double>(failed) / samples; }
};

// Everything the diagnosis looks at.
struct NetworkState {
  std::vector<RowHealth> rows;
  std::vector<DnsServerHealth> dnsServers;
};

}  // namespace qnc
