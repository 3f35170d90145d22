#pragma once
#include <functional>

#include "qt/lan/lan_speed_dlg.h"
#include "views/commands/ui_services.h"

class QWidget;

namespace qnc {

// The window commands' boxes and dialogs in Qt: the input boxes, the
// configuration file dialogs, a warning box and the LAN test window, each
// modal over the owner window.
class QtUiServices final : public UiServices {
 public:
  // `selectedRow` reads the user's selection in a table's view.
  QtUiServices(QWidget& owner, std::function<int(TableKind)> selectedRow, LanDialogEnvironment lanTest);

  std::optional<NewRow> AskNewRow(TableKind table) override;
  int SelectedRow(TableKind table) const override { return selectedRow_(table); }
  std::optional<std::string> ChooseFileToSave() override;
  std::optional<std::string> ChooseFileToOpen() override;
  void ShowWarning(const std::string& text) override;
  void RunLanTest(std::string_view preset) override;

 private:
  QWidget& owner_;
  std::function<int(TableKind)> selectedRow_;
  LanDialogEnvironment lanTest_;
};

}  // namespace qnc
