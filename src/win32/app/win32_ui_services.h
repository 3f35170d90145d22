#pragma once
#include <windows.h>

#include <functional>

#include "views/commands/ui_services.h"

namespace qnc {

// The boxes and dialogs the window commands ask for, as Win32 windows over
// the main window: the input boxes, the selection marks of the lists, the
// standard file dialogs, a warning box and the LAN test window.
class Win32UiServices final : public UiServices {
 public:
  Win32UiServices(HINSTANCE resources, std::function<HWND()> owner, std::function<int(TableKind)> selectedRow);

  std::optional<NewRow> AskNewRow(TableKind table) override;
  int SelectedRow(TableKind table) const override;
  std::optional<std::string> ChooseFileToSave() override;
  std::optional<std::string> ChooseFileToOpen() override;
  void ShowWarning(const std::string& text) override;
  void RunLanTest(std::string_view preset) override;

 private:
  HINSTANCE resources_;
  std::function<HWND()> owner_;
  std::function<int(TableKind)> selectedRow_;
};

}  // namespace qnc
