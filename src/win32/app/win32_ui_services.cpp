#include "win32/app/win32_ui_services.h"

#include "views/templates/control_ids.h"
#include "views/templates/window_templates.h"
#include "win32/app/config_location.h"
#include "win32/app/input_boxes.h"
#include "win32/app/lan_speed_dlg.h"
#include "win32/widgets/wide_text.h"

namespace qnc {

Win32UiServices::Win32UiServices(HINSTANCE resources, std::function<HWND()> owner,
                                 std::function<int(TableKind)> selectedRow)
    : resources_(resources), owner_(std::move(owner)), selectedRow_(std::move(selectedRow)) {}

std::optional<NewRow> Win32UiServices::AskNewRow(TableKind table) {
  switch (table) {
    case TableKind::kDns: {
      CAddDomainDlg box;
      if (box.RunModal(owner_(), resources_) != id::kOk) return std::nullopt;
      return NewRow{box.m_domain, {}};
    }
    case TableKind::kPing: {
      CAddPingDlg box;
      if (box.RunModal(owner_(), resources_) != id::kOk) return std::nullopt;
      return NewRow{box.m_host, {}};
    }
    case TableKind::kGame:
      break;
  }
  CGameDlg box;
  if (box.RunModal(owner_(), resources_) != id::kOk) return std::nullopt;
  return NewRow{box.m_server, box.m_description};
}

int Win32UiServices::SelectedRow(TableKind table) const { return selectedRow_(table); }

std::optional<std::string> Win32UiServices::ChooseFileToSave() { return ChooseConfigFileToSave(owner_()); }

std::optional<std::string> Win32UiServices::ChooseFileToOpen() { return ChooseConfigFileToOpen(owner_()); }

void Win32UiServices::ShowWarning(const std::string& text) {
  MessageBoxW(owner_(), Utf16(text).c_str(), Utf16(kMainWindowTitle).c_str(), MB_OK | MB_ICONWARNING);
}

void Win32UiServices::RunLanTest(std::string_view preset) {
  // A new window for each opening, gone (with every test thread) once it closes.
  CLanSpeedDlg window{std::string(preset)};
  window.RunModal(owner_(), resources_);
}

}  // namespace qnc
