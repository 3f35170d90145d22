#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "core/model/table_kind.h"

namespace qnc {

// A row the user typed into an input box: its target (host, domain, or
// host:port), and for the game table its description. Exactly as typed.
struct NewRow {
  std::string target;
  std::string description;
};

// What the window commands ask of the window system: the modal boxes and
// dialogs and what the user has selected. Each front end implements it with
// its own toolkit; the commands hold no toolkit code.
class UiServices {
 public:
  virtual ~UiServices() = default;

  // Runs the input box that asks for a new row of `table`; nothing when the
  // user cancelled.
  virtual std::optional<NewRow> AskNewRow(TableKind table) = 0;
  // The row the user's latest selection in `table` marks; -1 when none.
  virtual int SelectedRow(TableKind table) const = 0;
  // The save (export) and open (import) dialogs of the configuration file:
  // the chosen path as the file functions take it, nothing when cancelled.
  virtual std::optional<std::string> ChooseFileToSave() = 0;
  virtual std::optional<std::string> ChooseFileToOpen() = 0;
  // A warning box over the window, with the window's title (UTF-8 text).
  virtual void ShowWarning(const std::string& text) = 0;
  // Runs the LAN test window, modally, opened with this preset text.
  virtual void RunLanTest(std::string_view preset) = 0;
};

}  // namespace qnc
