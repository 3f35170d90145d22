#include "core/probe/dns_rows_in_flight.h"

#include <string>

#include "core/probe/dns_flight.h"
#include "core/probe/row_update.h"

namespace qnc {

void QueryDueRows(ProbeTable& table, const std::vector<DueRow>& due, const std::string& server,
                  const DnsWorkerOptions& options, std::stop_token stop) {
  std::vector<std::string> domains;
  domains.reserve(due.size());
  for (const DueRow& row : due) domains.push_back(row.target);
  const DnsFlightOptions flight{options.serverPort, options.replyTimeoutMs, options.ticks};
  QueryManyDomains(
      domains, options.parallelProbes, [&server] { return server; }, flight, std::move(stop),
      [&](const DnsAnswer& answer) {
        const DueRow& row = due[answer.index];
        if (answer.address) {
          RecordSuccess(table, row.row, answer.elapsedTicks, *answer.address);
        } else {
          RecordTimeout(table, row.row);
        }
        RecordSample(table, row.row, row.target, MakeSample(answer.sentAtWall, answer.outcome), options.onSample);
      });
}

}  // namespace qnc
