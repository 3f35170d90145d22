#pragma once
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/model/text_field.h"
#include "core/probe/coordination.h"
#include "core/probe/probe_table.h"
#include "core/probe/worker_options.h"
#include "platform/ip_config.h"
#include "platform/ipv4.h"

namespace qnc {

struct DnsWorkerOptions : WorkerOptions {
  std::uint16_t serverPort = 53;
  int replyTimeoutMs = 5000;
  std::string resolvConfPath = kResolvConfPath;
  std::string resolvedUpstreamPath = kResolvedUpstreamPath;
  // The server the field starts with; when unset, the system's own DNS server.
  std::optional<std::string> initialServer;
};

// The server that the text of the server box names: a whole dotted IPv4
// address ("a.b.c.d", each 0..255), or nothing while the text is anything else
// (empty, half typed as in "10.77.0", a name such as "abc").
std::optional<Ipv4NetOrder> DnsServerAddress(std::string_view boxText);

// Measures the DNS table for ever against the server named in a text field:
// fills the field once with the system's DNS server, then resolves every row's
// domain against whatever address the field holds at that moment. While the
// field names no whole address it queries nothing and leaves the rows as they
// are (a half-typed address would only make every row wait out its time-out).
// When the address it queries really changes, it restarts the table's
// counters once, before the first query to the new server, so that the
// figures never mix two servers; texts on the way there change nothing.
class DnsWorker {
 public:
  DnsWorker(ProbeTable& table, TextField& server, ResetRequest& reset, DnsWorkerOptions options = {});
  void Run(std::stop_token stop);

 private:
  // The box's text when it is a whole address, restarting the counters when it
  // names another server than they are of; nothing (query nothing) otherwise.
  std::optional<std::string> ServerToQuery();
  ProbeTable& table_;
  TextField& server_;
  ResetRequest& reset_;
  DnsWorkerOptions options_;
  std::optional<Ipv4NetOrder> queried_;  // the server the counters are of
};

}  // namespace qnc
