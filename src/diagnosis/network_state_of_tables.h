#pragma once
#include <string>
#include <vector>

#include "diagnosis/network_state.h"
#include "probe/table_store.h"

namespace qnc {

// The figures of every measured row of the tables now, each from the samples
// its history keeps; rows with an empty target are left out. The ping row
// whose target is `gatewayAddress` (when that is not empty) is the gateway.
NetworkState NetworkStateOf(const std::vector<const TableStore*>& tables, const std::string& gatewayAddress,
                            std::vector<DnsServerHealth> dnsServers);

}  // namespace qnc
