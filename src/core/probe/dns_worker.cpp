#include "core/probe/dns_worker.h"

#include <chrono>

#include "core/probe/dns_client.h"
#include "core/probe/dns_rows_in_flight.h"
#include "core/probe/row_update.h"
#include "core/probe/worker_loop.h"

namespace qnc {

std::optional<Ipv4NetOrder> DnsServerAddress(std::string_view boxText) { return ParseDottedQuad(boxText); }

std::optional<std::string> DnsWorker::ServerToQuery() {
  std::string text = server_.Text();
  const std::optional<Ipv4NetOrder> server = DnsServerAddress(text);
  if (!server) return std::nullopt;
  if (server != queried_) {
    ResetCounters(table_);
    queried_ = server;
  }
  return text;
}

DnsWorker::DnsWorker(ProbeTable& table, TextField& server, ResetRequest& reset, DnsWorkerOptions options)
    : table_(table), server_(server), reset_(reset), options_(std::move(options)) {}

void DnsWorker::Run(std::stop_token stop) {
  ResetCounters(table_);
  std::string startServer;
  if (options_.initialServer) {
    startServer = *options_.initialServer;
  } else {
    FindSystemDnsServer(startServer, options_.resolvConfPath, options_.resolvedUpstreamPath);
  }
  server_.SetText(startServer);
  queried_ = DnsServerAddress(startServer);

  const TickSource& ticks = *options_.ticks;
  RunPasses(
      stop, table_, options_,
      [this] {
        if (reset_.ConsumeDns()) ResetCounters(table_);
      },
      [&](const RowRef& row, const std::string& domain) {
        const auto started = std::chrono::system_clock::now();
        const std::uint32_t t0 = ticks.Now();
        const std::optional<std::string> serverText = ServerToQuery();
        if (!serverText) return;
        int result = -1;
        Ipv4NetOrder address = 0;
        ProbeOutcome outcome;
        {
          DnsQueryBlock block;
          dnsQueryId = 0;  // every query of the worker carries identifier 1
          if (DnsOpen(serverText->c_str(), block, options_.serverPort, options_.replyTimeoutMs) >= 0) {
            result = DnsQuery(block, address, domain, stop);
            outcome.reason = block.failure;
            outcome.roundTrip = block.repliedAt - block.sentAt;
          }
        }  // the block and its socket go here, inside the measured time
        if (stop.stop_requested()) return;
        if (result > 0) {
          RecordSuccess(table_, row, ticks.Now() - t0, address);
        } else {
          RecordTimeout(table_, row);
        }
        RecordSample(table_, row, domain, MakeSample(started, outcome), options_.onSample);
      },
      [&](const std::vector<DueRow>& due) {
        // One server for the whole pass, checked as for a single row.
        if (const std::optional<std::string> serverText = ServerToQuery()) {
          QueryDueRows(table_, due, *serverText, options_, stop);
        }
      });
}

}  // namespace qnc
