#pragma once
#include <windows.h>

#include "views/templates/menu_templates.h"

namespace qnc {

// Win32 menus built from menu templates: each command item sends its command
// id to the owner window as WM_COMMAND; a submenu becomes a popup entry.
// A menu bar belongs to its window once attached (DestroyWindow frees it); a
// popup menu is the caller's to DestroyMenu.
HMENU BuildMenuBar(const MenuTemplate& menu);
HMENU BuildPopupMenu(const MenuTemplate& menu);

// Shows a popup menu built from the template at a screen position with
// `owner` receiving the chosen command, then destroys it. `flags` are
// TrackPopupMenu's alignment and button flags.
void ShowPopupMenu(const MenuTemplate& menu, HWND owner, POINT at, UINT flags);

}  // namespace qnc
