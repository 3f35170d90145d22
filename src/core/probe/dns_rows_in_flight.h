#pragma once
#include <stop_token>
#include <string>
#include <vector>

#include "core/probe/dns_worker.h"
#include "core/probe/probe_table.h"
#include "core/probe/worker_loop.h"

namespace qnc {

// The DNS worker's pass with parallel probes: every due row's domain is
// queried with many queries in flight on one socket (QueryManyDomains), all
// to the server whose dotted address the caller checked, and each row gets
// its result as its query ends.
void QueryDueRows(ProbeTable& table, const std::vector<DueRow>& due, const std::string& server,
                  const DnsWorkerOptions& options, std::stop_token stop);

}  // namespace qnc
