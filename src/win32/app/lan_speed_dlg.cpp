#include "win32/app/lan_speed_dlg.h"

#include <iostream>

#include "core/lantest/lan_stream.h"
#include "core/lantest/lan_test_state.h"
#include "core/lantest/port_text.h"
#include "views/commands/lan_presets.h"
#include "views/templates/control_ids.h"
#include "views/templates/lan_test_template.h"
#include "win32/app/window_messages.h"
#include "win32/widgets/wide_text.h"

namespace qnc {

namespace {

void FillList(HWND list, std::span<const std::string_view> items, int selected) {
  for (const std::string_view item : items) {
    SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Utf16(item).c_str()));
  }
  SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

int SelectedIndex(HWND list) { return static_cast<int>(SendMessageW(list, CB_GETCURSEL, 0, 0)); }

// Puts text into the edit at a character position (0: the front; -1: the end).
void InsertText(HWND edit, int at, const std::string& text) {
  if (text.empty()) return;
  const int position = at < 0 ? GetWindowTextLengthW(edit) : at;
  SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(position), position);
  SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Utf16(text).c_str()));
}

}  // namespace

CLanSpeedDlg::CLanSpeedDlg(std::string preset)
    : TemplateDialog(LanTestDialogTemplate()),
      preset_(std::move(preset)),
      console_(std::cout),
      controller_(SharedLanTestState(), log_, console_) {}

CLanSpeedDlg::~CLanSpeedDlg() {
  Shutdown();
  if (logFont_ != nullptr) DeleteObject(logFont_);
}

void CLanSpeedDlg::Shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  // Every test thread ends before the log stops posting to this window.
  controller_.Shutdown();
  log_.SetChangeListener({});
}

void CLanSpeedDlg::OnInitDialog() {
  const bool server = std::string_view(preset_) == kLanServerPreset;
  SetWindowTextW(Handle(), Utf16(preset_).c_str());
  FillControls(server);
  HWND log = Control(id::kLanLogEdit);
  SendMessageW(log, EM_SETLIMITTEXT, 0, 0);  // no limit: the log grows for the whole test
  // Bold 16 pixels in "华文行楷" where the system has it; the font mapper
  // picks another Chinese face where it does not.
  logFont_ = CreateFontW(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                         CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"华文行楷");
  if (logFont_ != nullptr) SendMessageW(log, WM_SETFONT, reinterpret_cast<WPARAM>(logFont_), FALSE);

  HWND window = Handle();
  log_.SetChangeListener([window] { PostMessageW(window, message::kLogChanged, 0, 0); });
  ShowLogChanges();
  controller_.StartListener(kDefaultLanPort);
}

void CLanSpeedDlg::FillControls(bool server) {
  SetControlText(id::kLanParameterGroup, server ? lan_window::kServerGroupText : lan_window::kClientGroupText);
  for (const int control : lan_window::kServerOnlyControls) ShowWindow(Control(control), server ? SW_SHOW : SW_HIDE);
  for (const int control : lan_window::kClientOnlyControls) ShowWindow(Control(control), server ? SW_HIDE : SW_SHOW);
  FillList(Control(id::kLanModeList), lan_window::kModeItems, lan_window::kInitialModeIndex);
  FillList(Control(id::kLanThreadCountList), lan_window::kThreadCountItems, lan_window::kInitialThreadCountIndex);
  SetControlText(id::kLanClientPortEdit, lan_window::kInitialPortText);
  SetControlText(id::kLanServerPortEdit, lan_window::kInitialPortText);
}

void CLanSpeedDlg::OnCommand(int id, int notifyCode, HWND control) {
  if (notifyCode == BN_CLICKED && id == id::kLanStartStopButton) {
    OnStartStop();
  } else if (notifyCode == BN_CLICKED && id == id::kLanChangePortButton) {
    OnChangePort();
  } else if (id == id::kCancel) {
    // Esc and the close box: the threads end before the window goes.
    Shutdown();
    End(id::kCancel);
  }
  // Enter (OK) does nothing: the window has no OK button.
  (void)control;
}

std::optional<LRESULT> CLanSpeedDlg::OnMessage(UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  if (message == message::kLogChanged) {
    ShowLogChanges();
    return 0;
  }
  if (message == WM_DESTROY) Shutdown();
  return std::nullopt;
}

void CLanSpeedDlg::OnStartStop() {
  if (!controller_.ClientTestRunning()) {
    // The button shows the new state at once; the threads start after the wait.
    SetControlText(id::kLanStartStopButton, lan_window::kStopText);
    UpdateWindow(Control(id::kLanStartStopButton));
    const int threads = ThreadCountForIndex(SelectedIndex(Control(id::kLanThreadCountList)));
    const LanClientSettings settings{ControlText(id::kLanServerAddressEdit),
                                     ReadPortNumber(ControlText(id::kLanClientPortEdit))};
    controller_.StartClients(SelectedIndex(Control(id::kLanModeList)), threads, settings);
  } else {
    controller_.StopClients();
    SetControlText(id::kLanStartStopButton, lan_window::kStartText);
  }
}

void CLanSpeedDlg::OnChangePort() { controller_.ChangePort(ReadPortNumber(ControlText(id::kLanServerPortEdit))); }

void CLanSpeedDlg::ShowLogChanges() {
  const LanLogStore::Changes changes = log_.TakeChanges();
  if (changes.Empty()) return;
  HWND edit = Control(id::kLanLogEdit);
  // The newest lines go first; the view stays at its top while they arrive.
  if (changes.replaced) SetWindowTextW(edit, Utf16(changes.base).c_str());
  InsertText(edit, 0, changes.front);
  InsertText(edit, -1, changes.back);
  SendMessageW(edit, EM_SETSEL, 0, 0);
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

}  // namespace qnc
