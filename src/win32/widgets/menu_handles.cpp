#include "win32/widgets/menu_handles.h"

#include "win32/widgets/wide_text.h"

namespace qnc {

namespace {

void AppendItems(HMENU menu, const std::vector<MenuItemTemplate>& items) {
  for (const MenuItemTemplate& item : items) {
    const std::wstring text = Utf16(item.text);
    if (!item.items.empty()) {
      HMENU submenu = CreatePopupMenu();
      AppendItems(submenu, item.items);
      AppendMenuW(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), text.c_str());
    } else {
      AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(item.command), text.c_str());
    }
  }
}

}  // namespace

HMENU BuildMenuBar(const MenuTemplate& menu) {
  HMENU bar = CreateMenu();
  AppendItems(bar, menu.items);
  return bar;
}

HMENU BuildPopupMenu(const MenuTemplate& menu) {
  HMENU popup = CreatePopupMenu();
  AppendItems(popup, menu.items);
  return popup;
}

void ShowPopupMenu(const MenuTemplate& menu, HWND owner, POINT at, UINT flags) {
  HMENU popup = BuildPopupMenu(menu);
  // The owner must be the foreground window, or the menu stays open when the
  // user clicks elsewhere (the tray menu's case).
  SetForegroundWindow(owner);
  TrackPopupMenu(popup, flags, at.x, at.y, 0, owner, nullptr);
  PostMessageW(owner, WM_NULL, 0, 0);
  DestroyMenu(popup);
}

}  // namespace qnc
