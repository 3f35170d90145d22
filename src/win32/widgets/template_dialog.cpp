#include "win32/widgets/template_dialog.h"

#include <algorithm>

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

}  // namespace

TemplateDialog::TemplateDialog(const DialogTemplate& dialogTemplate) : template_(dialogTemplate) {}

TemplateDialog::~TemplateDialog() = default;

INT_PTR TemplateDialog::RunModal(HWND owner, HINSTANCE resources) {
  DialogTemplate fitted = template_;
  fitted.font.pointSize = PointSizeThatFits(template_, owner, resources);
  blob_ = BuildDialogBlob(fitted);
  const auto* blob = reinterpret_cast<const DLGTEMPLATE*>(blob_.data());
  return DialogBoxIndirectParamW(resources, blob, owner, &TemplateDialog::Procedure, reinterpret_cast<LPARAM>(this));
}

void TemplateDialog::End(INT_PTR result) {
  if (window_ != nullptr) EndDialog(window_, result);
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
  SetWindowLongPtrW(window_, DWLP_MSGRESULT, *result);
  return TRUE;
}

}  // namespace qnc
