#pragma once
#include <string>
#include <string_view>

#include "core/model/table_kind.h"
#include "core/probe/probe_session.h"
#include "views/commands/ui_services.h"

namespace qnc {

// The main window's commands, the same for every front end: each control or
// menu item of the window calls one of these. They edit the session's tables
// and ask the user through `ui`; both outlive this object. GUI thread only.
class WindowCommands {
 public:
  // `fixedConfigPath` is the file start-up loads and the tray saves.
  WindowCommands(ProbeSession& session, UiServices& ui, std::string fixedConfigPath);

  // Asks for a row in the table's input box and appends it; a cancelled box
  // adds nothing, an empty text adds an empty row.
  void AddRow(TableKind table);
  // Deletes the row of the user's selection with its counters; every other
  // row keeps its own. Without a selection nothing happens.
  void DeleteSelectedRow(TableKind table);
  // Restart the counters of one table.
  void RetestDns();
  void RetestPing();
  // The user changed the DNS server box: the worker queries the new server
  // once the box names a whole address, and restarts the DNS counters then.
  void DnsServerEdited(std::string_view text);

  // Loads the fixed file at start-up: the tables it holds replace their rows.
  void LoadFixedFile();
  // Writes the tables to the fixed file, creating its folder; reports
  // nothing, so the tray's menu opens either way. True when written.
  bool SaveFixedFile();
  // Writes the tables to a file the user chooses, so that a later load
  // shows today's order; a failed write says so. The tables stay as they are.
  void ExportConfig();
  // Loads a file the user chooses, then restarts the counters of all three
  // tables, whatever the load did (cancelled and refused files included).
  void ImportConfig();

  // The LAN menu: the test window in server or client mode.
  void OpenLanServer();
  void OpenLanClient();

  const std::string& FixedConfigPath() const { return fixedConfigPath_; }

 private:
  ProbeSession& session_;
  UiServices& ui_;
  const std::string fixedConfigPath_;
};

}  // namespace qnc
