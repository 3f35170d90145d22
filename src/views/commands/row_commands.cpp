// Row editing, retests and the DNS server box.
#include "core/probe/probe_table.h"
#include "views/commands/window_commands.h"

namespace qnc {

WindowCommands::WindowCommands(ProbeSession& session, UiServices& ui, std::string fixedConfigPath)
    : session_(session), ui_(ui), fixedConfigPath_(std::move(fixedConfigPath)) {}

void WindowCommands::AddRow(TableKind table) {
  const std::optional<NewRow> row = ui_.AskNewRow(table);
  if (!row) return;
  const RowId id = session_.AppendRow(table, row->target);
  // Only the game table shows a description; the other boxes have no field for one.
  if (table == TableKind::kGame) session_.Table(table).SetCell(id, cell::kGameDescription, row->description);
}

void WindowCommands::DeleteSelectedRow(TableKind table) {
  const int selected = ui_.SelectedRow(table);
  if (selected >= 0) session_.DeleteRow(table, selected);
}

void WindowCommands::RetestDns() {
  ResetCounters(session_.Table(TableKind::kDns));
  session_.MarkRetested();
}

void WindowCommands::RetestPing() {
  ResetCounters(session_.Table(TableKind::kPing));
  session_.MarkRetested();
}

void WindowCommands::DnsServerEdited(std::string_view text) {
  // The DNS worker restarts the counters itself once the box names another
  // whole address: every keystroke on the way there would restart them again.
  session_.DnsServer().StoreText(std::string(text));
}

}  // namespace qnc
