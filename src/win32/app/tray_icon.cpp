#include "win32/app/tray_icon.h"

#include <algorithm>
#include <string>
#include <utility>

#include "views/templates/control_ids.h"
#include "win32/app/window_messages.h"
#include "win32/widgets/wide_text.h"

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

TrayIcon::Notify TrayIcon::DefaultNotify() {
  return [](DWORD action, NOTIFYICONDATAW& record) { return Shell_NotifyIconW(action, &record); };
}

TrayIcon::TrayIcon(HWND owner, HINSTANCE resources, Notify notify)
    : owner_(owner),
      icon_(static_cast<HICON>(LoadImageW(resources, MAKEINTRESOURCEW(id::kTrayIcon), IMAGE_ICON,
                                          GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0))),
      notify_(std::move(notify)) {}

TrayIcon::~TrayIcon() {
  Remove();
  if (icon_ != nullptr) DestroyIcon(icon_);
}

bool TrayIcon::Add() {
  wanted_ = true;
  if (!shown_) PutIn();
  return shown_;
}

void TrayIcon::Remove() {
  wanted_ = false;
  if (!shown_) return;
  NOTIFYICONDATAW record = IconRecord(owner_);
  notify_(NIM_DELETE, record);
  shown_ = false;
}

void TrayIcon::OnTaskbarCreated() {
  // The new task bar holds no icon of the old one.
  shown_ = false;
  if (wanted_) PutIn();
}

void TrayIcon::PutIn() {
  NOTIFYICONDATAW record = IconRecord(owner_);
  record.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  record.uCallbackMessage = message::kTrayNotify;
  record.hIcon = icon_;
  const std::wstring tip = Utf16(kMainWindowTitle);
  std::copy_n(tip.c_str(), std::min(tip.size() + 1, std::size(record.szTip)), record.szTip);
  shown_ = notify_(NIM_ADD, record) != FALSE;
}

}  // namespace qnc
