#pragma once
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "core/diagnosis/network_state.h"
#include "core/probe/table_store.h"

namespace qnc {

// The figures of every measured row of the tables, each from the samples of
// its history that fall in the judged window: the last diagnosis::kWindow
// before `now`, or the time since `retestedAt` when that is later. Rows with
// an empty target are left out. The ping row whose target is
// `gatewayAddress` (when that is not empty) is the gateway.
NetworkState NetworkStateOf(const std::vector<const TableStore*>& tables, const std::string& gatewayAddress,
                            std::vector<DnsServerHealth> dnsServers, std::chrono::system_clock::time_point now,
                            std::optional<std::chrono::system_clock::time_point> retestedAt = std::nullopt);

}  // namespace qnc
