#pragma once
#include <windows.h>

namespace qnc {

// The main window's icon in the notification area: icon 128 with the
// window's title as its tip; mouse events on it come to the owner as
// message::kTrayNotify. Present only between Add and Remove.
class TrayIcon {
 public:
  TrayIcon(HWND owner, HINSTANCE resources);
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  void Add();
  void Remove();
  // The task bar was made anew (Explorer restarted): an icon that was shown
  // is gone with the old one and goes in again.
  void OnTaskbarCreated();
  bool Shown() const { return shown_; }

 private:
  HWND owner_;
  HICON icon_;
  bool shown_ = false;
};

}  // namespace qnc
