#pragma once
#include <stop_token>

#include "core/probe/coordination.h"
#include "core/probe/host_resolver.h"
#include "core/probe/probe_table.h"
#include "core/probe/worker_options.h"
#include "platform/tcp_socket.h"

namespace qnc {

struct GameWorkerOptions : WorkerOptions {
  int connectTimeoutMs = kConnectTimeoutMs;
};

// Measures the game table for ever by timing a TCP connect to each row's
// host:port (port 80 when none is given), closed at once without data.
class GameWorker {
 public:
  GameWorker(ProbeTable& table, HostResolver& resolver, GameWorkerOptions options = {});
  void Run(std::stop_token stop);

 private:
  ProbeTable& table_;
  HostResolver& resolver_;
  GameWorkerOptions options_;
};

}  // namespace qnc
