// Renders every window template through the Win32 renderer and checks what
// the dialog manager made of it: the caption, the client size and each
// control's class, id, text, visibility and place, all mapped from dialog
// units through the window's own font; the menu bar; the focus control; the
// tab order. Prints each difference; exit status 0 when there is none.
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <string>
#include <vector>

#include "views/templates/history_templates.h"
#include "views/templates/lan_test_template.h"
#include "views/templates/menu_templates.h"
#include "views/templates/ping_notice_template.h"
#include "views/templates/window_templates.h"
#include "win32/widgets/dialog_blob.h"
#include "win32/widgets/template_dialog.h"
#include "win32/widgets/wide_text.h"

namespace {

using qnc::ControlKind;
using qnc::ControlTemplate;
using qnc::DialogTemplate;

constexpr UINT kCheckNow = WM_APP + 77;

int failures = 0;

void Print(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

void Expect(bool condition, const std::string& what) {
  if (condition) return;
  ++failures;
  Print("  FAIL: " + what + "\n");
}

std::string WindowText(HWND window) {
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return qnc::Utf8(text);
}

std::string ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return qnc::Utf8(name);
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
         std::to_string(r.bottom);
}

bool SameClass(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }

// The window checks itself once the dialog manager has shown it and set
// the focus, then ends.
class CheckedDialog final : public qnc::TemplateDialog {
 public:
  explicit CheckedDialog(const DialogTemplate& dialog) : TemplateDialog(dialog) {}

 private:
  void OnInitDialog() override { PostMessageW(Handle(), kCheckNow, 0, 0); }
  std::optional<LRESULT> OnMessage(UINT message, WPARAM, LPARAM) override {
    if (message != kCheckNow) return std::nullopt;
    Check();
    End(1);
    return 0;
  }
  void Check();
  void CheckControl(HWND child, const ControlTemplate& control, std::size_t index);
  void CheckMenuBar();
  void CheckTabOrder(const std::vector<HWND>& children);
};

void CheckedDialog::Check() {
  const DialogTemplate& dialog = Template();
  HWND window = Handle();
  Expect(WindowText(window) == dialog.caption, "caption '" + WindowText(window) + "'");
  RECT size{0, 0, dialog.widthDu, dialog.heightDu};
  MapDialogRect(window, &size);
  RECT client;
  GetClientRect(window, &client);
  Expect(client.right == size.right && client.bottom == size.bottom,
         "client area " + Describe(client) + ", template maps to " + Describe(size));

  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  Expect(children.size() == dialog.controls.size(), "control count " + std::to_string(children.size()));
  for (std::size_t index = 0; index < children.size() && index < dialog.controls.size(); ++index) {
    CheckControl(children[index], dialog.controls[index], index);
  }
  CheckMenuBar();
  if (dialog.focusId != 0) Expect(GetFocus() == Control(dialog.focusId), "focus is not on the focus control");
  CheckTabOrder(children);
}

void CheckedDialog::CheckControl(HWND child, const ControlTemplate& control, std::size_t index) {
  const std::string where = "control " + std::to_string(index) + " (id " + std::to_string(control.id) + ")";
  const qnc::Win32ControlStyle style = qnc::ControlStyleOf(control);
  Expect(SameClass(ClassOf(child), qnc::Utf8(style.className)), where + ": class " + ClassOf(child));
  Expect(
      GetDlgCtrlID(child) == (control.id == 0 ? 0xFFFF : control.id) || (control.id == 0 && GetDlgCtrlID(child) == -1),
      where + ": id " + std::to_string(GetDlgCtrlID(child)));
  const bool visible = (GetWindowLongPtrW(child, GWL_STYLE) & WS_VISIBLE) != 0;
  Expect(visible == ((control.styles & qnc::style::kHidden) == 0), where + ": visibility");
  const bool textual = control.kind == ControlKind::kGroupBox || control.kind == ControlKind::kLabel ||
                       control.kind == ControlKind::kPushButton || control.kind == ControlKind::kEdit;
  if (textual) Expect(WindowText(child) == control.text, where + ": text '" + WindowText(child) + "'");

  // The dialog manager maps the corner and the size each on their own.
  RECT corner{control.rect.x, control.rect.y, 0, 0};
  RECT extent{0, 0, control.rect.width, control.rect.height};
  MapDialogRect(Handle(), &corner);
  MapDialogRect(Handle(), &extent);
  const RECT expected{corner.left, corner.top, corner.left + extent.right, corner.top + extent.bottom};
  RECT placed;
  GetWindowRect(child, &placed);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&placed), 2);
  if (control.kind == ControlKind::kPicture || control.kind == ControlKind::kEtchedLine) {
    // A picture takes its bitmap's size and the static control sizes an
    // etched line itself; only the corner comes from the template.
    Expect(placed.left == expected.left && placed.top == expected.top, where + ": at " + Describe(placed));
  } else if (control.kind == ControlKind::kDropDownList) {
    // The template's height includes the dropped list; the closed box is one line.
    Expect(placed.left == expected.left && placed.top == expected.top && placed.right == expected.right,
           where + ": at " + Describe(placed) + ", expected " + Describe(expected));
  } else {
    Expect(EqualRect(&placed, &expected) != FALSE,
           where + ": at " + Describe(placed) + ", expected " + Describe(expected));
  }
}

void CheckedDialog::CheckMenuBar() {
  HMENU bar = GetMenu(Handle());
  const qnc::MenuTemplate* menu = Template().menuBar;
  if (menu == nullptr) {
    Expect(bar == nullptr, "a menu bar the template does not have");
    return;
  }
  Expect(bar != nullptr && GetMenuItemCount(bar) == static_cast<int>(menu->items.size()), "menu bar items");
  for (std::size_t index = 0; bar != nullptr && index < menu->items.size(); ++index) {
    wchar_t text[128] = {};
    GetMenuStringW(bar, static_cast<UINT>(index), text, 128, MF_BYPOSITION);
    Expect(qnc::Utf8(text) == menu->items[index].text, "menu bar item " + qnc::Utf8(text));
    const bool popup = GetSubMenu(bar, static_cast<int>(index)) != nullptr;
    Expect(popup == !menu->items[index].items.empty(), "menu bar item kind of " + qnc::Utf8(text));
    if (!popup) {
      Expect(GetMenuItemID(bar, static_cast<int>(index)) == static_cast<UINT>(menu->items[index].command),
             "menu bar command of " + qnc::Utf8(text));
    }
  }
}

void CheckedDialog::CheckTabOrder(const std::vector<HWND>& children) {
  // Tab visits the visible tab stops in template order, and comes back round.
  std::vector<HWND> stops;
  for (HWND child : children) {
    const LONG_PTR styles = GetWindowLongPtrW(child, GWL_STYLE);
    if ((styles & WS_TABSTOP) != 0 && (styles & WS_VISIBLE) != 0) stops.push_back(child);
  }
  if (stops.empty()) return;
  HWND at = stops.front();
  for (std::size_t step = 1; step <= stops.size(); ++step) {
    at = GetNextDlgTabItem(Handle(), at, FALSE);
    Expect(at == stops[step % stops.size()], "tab step " + std::to_string(step));
  }
}

}  // namespace

int wmain() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  const DialogTemplate* dialogs[] = {
      &qnc::MainDialogTemplate(),       &qnc::AboutDialogTemplate(),     &qnc::AddHostDialogTemplate(),
      &qnc::GameServerDialogTemplate(), &qnc::WebPageDialogTemplate(),   &qnc::LanTestDialogTemplate(),
      &qnc::RowDetailsDialogTemplate(), &qnc::DiagnosisDialogTemplate(), &qnc::PingNoticeDialogTemplate()};
  for (const DialogTemplate* dialog : dialogs) {
    Print("dialog " + std::to_string(dialog->id) + " " + dialog->caption + "\n");
    CheckedDialog window(*dialog);
    Expect(window.RunModal(nullptr, GetModuleHandleW(nullptr)) == 1, "the window did not run");
  }
  Print(failures == 0 ? "all templates render as described\n" : std::to_string(failures) + " differences\n");
  return failures == 0 ? 0 : 1;
}
