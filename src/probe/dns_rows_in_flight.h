#pragma once
#include <stop_token>
#include <vector>

#include "platform/text_field.h"
#include "probe/dns_worker.h"
#include "probe/probe_table.h"
#include "probe/worker_loop.h"

namespace qnc {

// The DNS worker's pass with parallel probes: every due row's domain is
// queried with many queries in flight on one socket (QueryManyDomains), each
// to the server that the text field holds as it is sent, and each row gets
// its result as its query ends.
void QueryDueRows(ProbeTable& table, const std::vector<DueRow>& due, TextField& server, const DnsWorkerOptions& options,
                  std::stop_token stop);

}  // namespace qnc
