#pragma once
#include <cstdint>
#include <vector>

#include "views/templates/dialog_template.h"

namespace qnc {

// A window template as the Windows dialog manager takes it: an extended
// in-memory dialog template (DLGTEMPLATEEX and one DLGITEMTEMPLATEEX per
// control, each DWORD-aligned) whose positions stay in dialog units, with
// DS_SETFONT naming the template's face and point size, so the dialog
// manager maps the layout through the font's own metrics. Controls go in
// table order, which is the tab order; the group boxes, labels and pictures
// take no tab stop.
//
// List views are report views with LVS_OWNERDATA: they hold no rows, the
// window answers their LVN_GETDISPINFO from the table it presents. Pictures
// name their bitmap resource, which the dialog manager loads from the module
// that runs the dialog. The web-browser place is an empty static: this front
// end shows pages in the default browser. The menu bar is not part of the
// blob (it has no resource); TemplateDialog attaches it.
//
// The words must stay where they are while the dialog is created (the vector
// keeps them DWORD-aligned: its storage is).
std::vector<std::uint16_t> BuildDialogBlob(const DialogTemplate& dialog);

// The window and control class and style bits that BuildDialogBlob gives a
// control, for the window code and tests that check what was created.
struct Win32ControlStyle {
  const wchar_t* className;
  std::uint32_t style;
  std::uint32_t exStyle;
};
Win32ControlStyle ControlStyleOf(const ControlTemplate& control);
std::uint32_t DialogStyleOf(const DialogTemplate& dialog);
std::uint32_t DialogExStyleOf(const DialogTemplate& dialog);

}  // namespace qnc
