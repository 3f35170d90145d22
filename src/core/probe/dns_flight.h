#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <stop_token>
#include <string>

#include "core/probe/dns_client.h"
#include "core/probe/probe_outcome.h"
#include "platform/ipv4.h"
#include "platform/ticks.h"

namespace qnc {

// How one query of many ended.
struct DnsAnswer {
  std::size_t index = 0;  // into the domains
  ProbeOutcome outcome;
  std::optional<Ipv4NetOrder> address;               // when the reply gave one
  std::chrono::system_clock::time_point sentAtWall;  // when it was sent, for the sample
  std::uint32_t elapsedTicks = 0;                    // of the tick source, from the send to the end
};

struct DnsFlightOptions {
  std::uint16_t serverPort = kDnsPort;
  int replyTimeoutMs = kDnsReplyTimeoutMs;
  const TickSource* ticks = &SystemTicks();
};

// Resolves every domain with an A query on one UDP socket, `burst` queries at
// a time (see RunInFlight), each to the server whose dotted address
// serverText() gives as it is sent and with its own time-out. Replies are
// matched by server, port and query identifier (no two queries in flight
// share one); word that a query was turned away (nothing listens at the
// server's port, the server cannot be reached) ends it at once where the
// system reports it, as for a query alone (DnsQuery). `done` hears of each
// query as it ends; after a stop request those in flight end unheard of.
void QueryManyDomains(std::span<const std::string> domains, int burst, const std::function<std::string()>& serverText,
                      const DnsFlightOptions& options, std::stop_token stop,
                      const std::function<void(const DnsAnswer&)>& done);

}  // namespace qnc
