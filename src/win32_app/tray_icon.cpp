#include "win32_app/tray_icon.h"

#include <shellapi.h>

#include <algorithm>
#include <string>

#include "ui/control_ids.h"
#include "win32_app/window_messages.h"
#include "win32_ui/wide_text.h"

namespace qnc {

namespace {

NOTIFYICONDATAW IconRecord(HWND owner) {
  NOTIFYICONDATAW record{};
  record.cbSize = sizeof record;
  record.hWnd = owner;
  record.uID = id::kTrayIcon;
  return record;
}

}  // namespace

TrayIcon::TrayIcon(HWND owner, HINSTANCE resources)
    : owner_(owner),
      icon_(static_cast<HICON>(LoadImageW(resources, MAKEINTRESOURCEW(id::kTrayIcon), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0))) {}

TrayIcon::~TrayIcon() {
  Remove();
  if (icon_ != nullptr) DestroyIcon(icon_);
}

void TrayIcon::Add() {
  if (shown_) return;
  NOTIFYICONDATAW record = IconRecord(owner_);
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = message::kTrayNotify;
  record.hIcon = icon_;
  const std::wstring tip = Utf16(kMainWindowTitle);
  std::copy_n(tip.c_str(), std::min(tip.size() + 1, std::size(record.szTip)), record.szTip);
  // A failure is not noticed: the window hides all the same.
  shown_ = Shell_NotifyIconW(NIM_ADD, &record) != FALSE;
}

void TrayIcon::Remove() {
  if (!shown_) return;
  NOTIFYICONDATAW record = IconRecord(owner_);
  Shell_NotifyIconW(NIM_DELETE, &record);
  shown_ = false;
}

void TrayIcon::OnTaskbarCreated() {
  if (!shown_) return;
  shown_ = false;
  Add();
}

}  // namespace qnc
