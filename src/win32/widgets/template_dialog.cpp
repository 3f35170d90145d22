#include "win32/widgets/template_dialog.h"

#include <algorithm>
#include <vector>

#include "views/templates/control_ids.h"
#include "win32/widgets/dialog_blob.h"
#include "win32/widgets/menu_handles.h"
#include "win32/widgets/wide_text.h"

namespace qnc {

namespace {

// The smallest font a window is shrunk to; below it the texts are unreadable.
constexpr int kSmallestPointSize = 6;

INT_PTR CALLBACK IgnoreEverything(HWND /*window*/, UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  return FALSE;
}

// The outer size of the window that `dialog` makes with its font at
// `pointSize`: the dialog manager maps the dialog units through the font's
// own metrics, so a hidden window of the same frame and font, without
// controls, is made and measured.
SIZE WindowSizeAt(const DialogTemplate& dialog, int pointSize, HINSTANCE resources) {
  DialogTemplate frame;
  frame.caption = dialog.caption;
  frame.widthDu = dialog.widthDu;
  frame.heightDu = dialog.heightDu;
  frame.font = {dialog.font.face, pointSize};
  frame.windowStyle = dialog.windowStyle;
  const std::vector<std::uint16_t> blob = BuildDialogBlob(frame);
  HWND window = CreateDialogIndirectParamW(resources, reinterpret_cast<const DLGTEMPLATE*>(blob.data()), nullptr,
                                           &IgnoreEverything, 0);
  if (window == nullptr) return {0, 0};
  RECT outer{};
  GetClientRect(window, &outer);
  AdjustWindowRectEx(&outer, DialogStyleOf(dialog), dialog.menuBar != nullptr ? TRUE : FALSE, DialogExStyleOf(dialog));
  DestroyWindow(window);
  return {outer.right - outer.left, outer.bottom - outer.top};
}

// The template's font size, or a smaller one when the window would not fit
// in the work area of the monitor it opens on: at a large display scale a
// big window would otherwise reach past the screen, with controls that no
// one can get at.
int PointSizeThatFits(const DialogTemplate& dialog, HWND owner, HINSTANCE resources) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  if (GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTOPRIMARY), &monitor) == FALSE) {
    return dialog.font.pointSize;
  }
  const LONG roomWidth = monitor.rcWork.right - monitor.rcWork.left;
  const LONG roomHeight = monitor.rcWork.bottom - monitor.rcWork.top;
  int pointSize = dialog.font.pointSize;
  for (; pointSize > kSmallestPointSize; --pointSize) {
    const SIZE size = WindowSizeAt(dialog, pointSize, resources);
    if (size.cx <= roomWidth && size.cy <= roomHeight) break;
  }
  return pointSize;
}

// The modeless windows open on this (the one window) thread, and the hook
// that gives them their keyboard while a modal run's loop reads the messages.
std::vector<HWND>& ModelessWindows() {
  static std::vector<HWND> windows;
  return windows;
}
HHOOK& ModelessKeyboardHook() {
  static HHOOK hook = nullptr;
  return hook;
}

}  // namespace

TemplateDialog::TemplateDialog(const DialogTemplate& dialogTemplate) : template_(dialogTemplate) {}

TemplateDialog::~TemplateDialog() = default;

const std::uint16_t* TemplateDialog::FittedBlob(HWND owner, HINSTANCE resources) {
  DialogTemplate fitted = template_;
  fitted.font.pointSize = PointSizeThatFits(template_, owner, resources);
  blob_ = BuildDialogBlob(fitted);
  return blob_.data();
}

INT_PTR TemplateDialog::RunModal(HWND owner, HINSTANCE resources) {
  const auto* blob = reinterpret_cast<const DLGTEMPLATE*>(FittedBlob(owner, resources));
  return DialogBoxIndirectParamW(resources, blob, owner, &TemplateDialog::Procedure, reinterpret_cast<LPARAM>(this));
}

bool TemplateDialog::OpenModeless(HWND owner, HINSTANCE resources) {
  modeless_ = true;
  const auto* blob = reinterpret_cast<const DLGTEMPLATE*>(FittedBlob(owner, resources));
  HWND window =
      CreateDialogIndirectParamW(resources, blob, owner, &TemplateDialog::Procedure, reinterpret_cast<LPARAM>(this));
  if (window == nullptr) return false;
  ModelessWindows().push_back(window);
  if (ModelessKeyboardHook() == nullptr) {
    // The dialog manager asks this filter about every message of a modal
    // run's loop (IsDialogMessage, MSGF_DIALOGBOX): a modeless window's keys
    // get its own dialog handling there.
    ModelessKeyboardHook() =
        SetWindowsHookExW(WH_MSGFILTER, &TemplateDialog::KeyboardOfModelessWindows, nullptr, GetCurrentThreadId());
  }
  ShowWindow(window, SW_SHOWNORMAL);
  return true;
}

LRESULT CALLBACK TemplateDialog::KeyboardOfModelessWindows(int code, WPARAM wParam, LPARAM lParam) {
  // IsDialogMessage asks the filter itself: the inner call is let through.
  static bool inside = false;
  if (code == MSGF_DIALOGBOX && !inside) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    for (HWND window : ModelessWindows()) {
      if (message->hwnd == window || IsChild(window, message->hwnd) != FALSE) {
        inside = true;
        const BOOL handled = IsDialogMessageW(window, message);
        inside = false;
        if (handled != FALSE) return TRUE;
        break;
      }
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

void TemplateDialog::End(INT_PTR result) {
  if (window_ == nullptr) return;
  if (modeless_) {
    DestroyWindow(window_);
  } else {
    EndDialog(window_, result);
  }
}

std::string TemplateDialog::ControlText(int id) const {
  HWND control = Control(id);
  const int length = GetWindowTextLengthW(control);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(control, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return Utf8(text);
}

void TemplateDialog::SetControlText(int id, std::string_view utf8) { SetWindowTextW(Control(id), Utf16(utf8).c_str()); }

void TemplateDialog::OnCommand(int id, int /*notifyCode*/, HWND /*control*/) {
  if (id == id::kOk || id == id::kCancel) End(id);
}

std::optional<LRESULT> TemplateDialog::OnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  return std::nullopt;
}

void TemplateDialog::AttachMenuBar() {
  if (template_.menuBar == nullptr) return;
  // A menu bar added after creation takes its height from the client area;
  // the window grows by that much, so the controls keep their places, and
  // stays centred where DS_CENTER put it, inside the monitor's work area.
  RECT client;
  GetClientRect(window_, &client);
  RECT before;
  GetWindowRect(window_, &before);
  SetMenu(window_, BuildMenuBar(*template_.menuBar));
  RECT frame = client;
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), TRUE,
                     static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
  const LONG width = frame.right - frame.left;
  const LONG height = frame.bottom - frame.top;
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor);
  LONG x = before.left + ((before.right - before.left) - width) / 2;
  LONG y = before.top + ((before.bottom - before.top) - height) / 2;
  x = std::max(monitor.rcWork.left, std::min(x, monitor.rcWork.right - width));
  y = std::max(monitor.rcWork.top, std::min(y, monitor.rcWork.bottom - height));
  SetWindowPos(window_, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK TemplateDialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* self = reinterpret_cast<TemplateDialog*>(lParam);
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    self->window_ = window;
  }
  auto* self = reinterpret_cast<TemplateDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (self == nullptr) return FALSE;
  const INT_PTR handled = self->Dispatch(message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    self->window_ = nullptr;
    if (self->modeless_) {
      std::erase(ModelessWindows(), window);
      if (ModelessWindows().empty() && ModelessKeyboardHook() != nullptr) {
        UnhookWindowsHookEx(ModelessKeyboardHook());
        ModelessKeyboardHook() = nullptr;
      }
      self->OnClosed();  // may delete the object: nothing of it is used after this
    }
  }
  return handled;
}

INT_PTR TemplateDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      AttachMenuBar();
      OnInitDialog();
      if (template_.focusId != 0 && Control(template_.focusId) != nullptr) {
        SetFocus(Control(template_.focusId));
        return FALSE;  // the focus is set: the dialog manager leaves it there
      }
      return TRUE;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      return TRUE;
    default:
      break;
  }
  const std::optional<LRESULT> result = OnMessage(message, wParam, lParam);
  if (!result) return FALSE;
  // These few give their answer as the procedure's own value (a colour
  // message's brush); every other one through DWLP_MSGRESULT.
  const bool direct = (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) || message == WM_COMPAREITEM ||
                      message == WM_VKEYTOITEM || message == WM_CHARTOITEM || message == WM_QUERYDRAGICON;
  if (direct) return static_cast<INT_PTR>(*result);
  SetWindowLongPtrW(window_, DWLP_MSGRESULT, *result);
  return TRUE;
}

}  // namespace qnc
