#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/gpu/gpu_worker.h"
#include "core/probe/probe_session.h"
#include "qt/lan/lan_speed_dlg.h"

namespace qnc {

// How the main window starts: its probe session's options and its own. The
// defaults are the program's own; tests start it on rows and servers of their
// own.
struct MainWindowOptions : ProbeSessionOptions {
  // Whether the tables start with their default rows.
  bool defaultRows = true;
  // Rows added after the default rows (targets only).
  std::vector<std::string> dnsRows;
  std::vector<std::string> pingRows;
  std::vector<std::string> gameRows;
  // The fixed configuration file, loaded at start and saved from the tray;
  // empty: "Quorix测试工具.txt" in the user's configuration folder.
  std::string configFilePath;
  // Whether the probe workers and the GPU worker start with the window.
  bool startWorkers = true;
  GpuWorkerOptions gpu;
  // Where the LAN test windows run their tests.
  LanDialogEnvironment lanTest;
  // Whether the desktop has a notification area; empty: ask the desktop.
  std::function<bool()> trayAvailable;
  // Why pings cannot be sent, or nothing when they can; empty: ask the system.
  std::function<std::optional<std::string>()> icmpUnavailableReason;
};

}  // namespace qnc
