#include "win32/widgets/dialog_blob.h"

#include <windows.h>
// commctrl.h after windows.h
#include <commctrl.h>

#include <string>

#include "win32/widgets/wide_text.h"

namespace qnc {

namespace {

using Words = std::vector<std::uint16_t>;

void PutWord(Words& out, unsigned value) { out.push_back(static_cast<std::uint16_t>(value)); }

void PutDword(Words& out, std::uint32_t value) {
  PutWord(out, value & 0xFFFFu);
  PutWord(out, value >> 16);
}

void PutString(Words& out, const std::wstring& text) {
  for (const wchar_t c : text) PutWord(out, static_cast<std::uint16_t>(c));
  PutWord(out, 0);
}

void PutOrdinal(Words& out, int ordinal) {
  PutWord(out, 0xFFFFu);
  PutWord(out, static_cast<unsigned>(ordinal));
}

// Every item starts on a DWORD boundary of the blob.
void AlignDword(Words& out) {
  if (out.size() % 2 != 0) PutWord(out, 0);
}

bool Has(unsigned styles, unsigned bit) { return (styles & bit) != 0; }

void PutControl(Words& out, const ControlTemplate& control) {
  AlignDword(out);
  const Win32ControlStyle style = ControlStyleOf(control);
  PutDword(out, 0);  // help id
  PutDword(out, style.exStyle);
  PutDword(out, style.style);
  for (const int value : {control.rect.x, control.rect.y, control.rect.width, control.rect.height}) {
    PutWord(out, static_cast<unsigned>(value));
  }
  PutDword(out, static_cast<std::uint32_t>(control.id == 0 ? -1 : control.id));
  PutString(out, style.className);
  if (control.kind == ControlKind::kPicture) {
    PutOrdinal(out, control.bitmap);
  } else {
    PutString(out, Utf16(control.text));
  }
  PutWord(out, 0);  // no creation data
}

}  // namespace

Win32ControlStyle ControlStyleOf(const ControlTemplate& control) {
  const unsigned styles = control.styles;
  std::uint32_t common = WS_CHILD;
  if (!Has(styles, style::kHidden)) common |= WS_VISIBLE;
  switch (control.kind) {
    case ControlKind::kGroupBox:
      return {L"Button", common | BS_GROUPBOX, 0};
    case ControlKind::kLabel:
      return {L"Static",
              common |
                  (Has(styles, style::kCentred) ? SS_CENTER : (Has(styles, style::kRightAligned) ? SS_RIGHT : SS_LEFT)),
              0};
    case ControlKind::kEdit: {
      std::uint32_t edit = common | WS_TABSTOP | WS_BORDER | ES_LEFT;
      // A multi-line edit wraps its lines unless it has a horizontal scroll bar.
      const bool wraps = Has(styles, style::kMultiLine) && !Has(styles, style::kHorizontalScrollBar);
      if (!wraps) edit |= ES_AUTOHSCROLL;
      if (Has(styles, style::kMultiLine)) edit |= ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL;
      if (Has(styles, style::kReadOnly)) edit |= ES_READONLY;
      if (Has(styles, style::kHorizontalScrollBar)) edit |= WS_HSCROLL;
      return {L"Edit", edit, 0};
    }
    case ControlKind::kPushButton:
      return {L"Button", common | WS_TABSTOP | (Has(styles, style::kDefaultButton) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
              0};
    case ControlKind::kDropDownList:
      return {L"ComboBox", common | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
    case ControlKind::kListView:
      // Several rows may be selected; the selection shows while the list has no focus.
      return {WC_LISTVIEWW, common | WS_TABSTOP | WS_BORDER | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0};
    case ControlKind::kEtchedLine:
      return {L"Static", common | SS_ETCHEDVERT, 0};
    case ControlKind::kPicture:
      return {L"Static", common | SS_BITMAP, 0};
    case ControlKind::kRichText:
      // Shown as its plain text in a read-only edit.
      return {L"Edit", common | WS_TABSTOP | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY, 0};
    case ControlKind::kPaintArea:
      // The window draws it when asked (WM_DRAWITEM).
      return {L"Static", common | SS_OWNERDRAW, 0};
    case ControlKind::kWebBrowser:
      break;
  }
  return {L"Static", common, 0};
}

std::uint32_t DialogStyleOf(const DialogTemplate& dialog) {
  std::uint32_t result = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER;
  if (Has(dialog.windowStyle, window_style::kMinimizeBox)) result |= WS_MINIMIZEBOX;
  if (Has(dialog.windowStyle, window_style::kMaximizeBox)) result |= WS_MAXIMIZEBOX;
  return result;
}

std::uint32_t DialogExStyleOf(const DialogTemplate& dialog) {
  return Has(dialog.windowStyle, window_style::kTaskBarButton) ? WS_EX_APPWINDOW : 0;
}

std::vector<std::uint16_t> BuildDialogBlob(const DialogTemplate& dialog) {
  Words out;
  PutWord(out, 1);        // dlgVer
  PutWord(out, 0xFFFFu);  // signature: the extended form
  PutDword(out, 0);       // help id
  PutDword(out, DialogExStyleOf(dialog));
  PutDword(out, DialogStyleOf(dialog));
  PutWord(out, static_cast<unsigned>(dialog.controls.size()));
  for (const int value : {0, 0, dialog.widthDu, dialog.heightDu}) PutWord(out, static_cast<unsigned>(value));
  PutWord(out, 0);  // no menu resource
  PutWord(out, 0);  // the standard dialog class
  PutString(out, Utf16(dialog.caption));
  PutWord(out, static_cast<unsigned>(dialog.font.pointSize));
  PutWord(out, FW_NORMAL);
  PutWord(out, DEFAULT_CHARSET << 8);  // italic 0 in the low byte, the character set in the high one
  PutString(out, Utf16(dialog.font.face));
  for (const ControlTemplate& control : dialog.controls) PutControl(out, control);
  return out;
}

}  // namespace qnc
