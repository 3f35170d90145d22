#pragma once
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>

#include "platform/ip_config.h"
#include "platform/text_field.h"
#include "probe/coordination.h"
#include "probe/probe_table.h"
#include "probe/worker_options.h"

namespace qnc {

struct DnsWorkerOptions : WorkerOptions {
  std::uint16_t serverPort = 53;
  int replyTimeoutMs = 5000;
  std::string resolvConfPath = kResolvConfPath;
  std::string resolvedUpstreamPath = kResolvedUpstreamPath;
  // The server the field starts with; when unset, the system's own DNS server.
  std::optional<std::string> initialServer;
};

// Measures the DNS table for ever against the server named in a text field:
// fills the field once with the system's DNS server, then resolves every row's
// domain against whatever address the field holds at that moment.
class DnsWorker {
 public:
  DnsWorker(ProbeTable& table, TextField& server, ResetRequest& reset, DnsWorkerOptions options = {});
  void Run(std::stop_token stop);

 private:
  ProbeTable& table_;
  TextField& server_;
  ResetRequest& reset_;
  DnsWorkerOptions options_;
};

}  // namespace qnc
