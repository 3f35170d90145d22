#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "views/templates/dialog_template.h"

namespace qnc {

// A window made from a window template by the Windows dialog manager, run
// modally (DialogBoxIndirectParamW) or opened beside its owner: its caption, font, frame, controls in tab order
// and, when the template has one, its menu bar, with the window grown so the
// client area keeps the template's size under the bar. As it opens it gives
// the focus to the template's focus control. A window that would not fit in
// its monitor's work area at the template's font size (a large display
// scale) opens with a smaller font, so all of it stays on the screen.
// Subclasses handle commands and messages; the dialog manager does the
// keyboard (Tab, Enter, Esc).
class TemplateDialog {
 public:
  // The template must outlive the window (templates are static data).
  explicit TemplateDialog(const DialogTemplate& dialogTemplate);
  virtual ~TemplateDialog();
  TemplateDialog(const TemplateDialog&) = delete;
  TemplateDialog& operator=(const TemplateDialog&) = delete;

  // Creates the window over `owner` (may be null) and runs it until End; the
  // value given to End, or -1 when the window could not be created.
  // `resources` is the module whose bitmaps the pictures name.
  INT_PTR RunModal(HWND owner, HINSTANCE resources);
  // Creates the window over `owner` without a run of its own: it takes input
  // beside its owner, inside the owner's run, with the same keyboard (Tab,
  // Enter, Esc). End destroys it. False when it could not be created.
  bool OpenModeless(HWND owner, HINSTANCE resources);
  // Ends the run with this result; a modeless window is destroyed.
  void End(INT_PTR result);

  HWND Handle() const { return window_; }
  HWND Control(int id) const { return GetDlgItem(window_, id); }
  std::string ControlText(int id) const;
  void SetControlText(int id, std::string_view utf8);
  const DialogTemplate& Template() const { return template_; }

 protected:
  // Called once the controls exist, before the window shows.
  virtual void OnInitDialog() {}
  // WM_COMMAND from a control, a menu or an accelerator. The default
  // ends the run on OK and on cancel (Enter, Esc, the close box).
  virtual void OnCommand(int id, int notifyCode, HWND control);
  // Any other message; a value when handled (a dialog result such as a
  // WM_NOTIFY answer), nothing to leave it to the dialog manager.
  virtual std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  // A modeless window's handle is gone (after End or its owner's end); the
  // object is no longer used by the window and may be deleted here.
  virtual void OnClosed() {}

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK KeyboardOfModelessWindows(int code, WPARAM wParam, LPARAM lParam);
  const std::uint16_t* FittedBlob(HWND owner, HINSTANCE resources);
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  void AttachMenuBar();

  const DialogTemplate& template_;
  std::vector<std::uint16_t> blob_;
  HWND window_ = nullptr;
  bool modeless_ = false;
};

}  // namespace qnc
