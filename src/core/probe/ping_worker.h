#pragma once
#include <stop_token>

#include "core/probe/coordination.h"
#include "core/probe/echo_flight.h"
#include "core/probe/host_resolver.h"
#include "core/probe/icmp_probe.h"
#include "core/probe/probe_table.h"
#include "core/probe/worker_options.h"

namespace qnc {

struct PingWorkerOptions : WorkerOptions {
  int replyTimeoutMs = 1000;
};

// Measures the ping table for ever with one ICMP echo request per row and
// pass, all of them on one ICMP socket: one row after the other, or with
// parallelProbes above 1 many rows in flight at once.
class PingWorker {
 public:
  PingWorker(ProbeTable& table, ResetRequest& reset, HostResolver& resolver, PingWorkerOptions options = {});
  void Run(std::stop_token stop);

 private:
  ProbeTable& table_;
  ResetRequest& reset_;
  HostResolver& resolver_;
  PingWorkerOptions options_;
  EchoCounters echo_;
  EchoFlight flight_;
};

}  // namespace qnc
