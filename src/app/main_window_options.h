#pragma once
#include <string>
#include <vector>

#include "platform/ip_config.h"
#include "probe/dns_worker.h"
#include "probe/game_worker.h"
#include "probe/ping_worker.h"

namespace qnc {

// How the main window starts. The defaults are the program's own; tests start
// it on rows and servers of their own.
struct MainWindowOptions {
  // Whether the tables start with their default rows.
  bool defaultRows = true;
  // Rows added after the default rows (targets only).
  std::vector<std::string> dnsRows;
  std::vector<std::string> pingRows;
  std::vector<std::string> gameRows;
  // Where the LAN gateway of the ping table's default row is looked up.
  std::string routeTablePath = kRouteTablePath;
  // Whether the probe workers start with the window.
  bool startWorkers = true;
  DnsWorkerOptions dns;
  PingWorkerOptions ping;
  GameWorkerOptions game;
};

}  // namespace qnc
