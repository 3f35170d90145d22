#pragma once
#include <windows.h>
// After windows.h:
#include <shellapi.h>

#include <functional>

namespace qnc {

// The main window's icon in the notification area: icon 128 with the
// window's title as its tip; mouse events on it come to the owner as
// message::kTrayNotify. Wanted between Add and Remove; shown while wanted
// and the task bar took it.
class TrayIcon {
 public:
  // Shell_NotifyIconW, or a stand-in that plays the task bar.
  using Notify = std::function<BOOL(DWORD action, NOTIFYICONDATAW& record)>;

  TrayIcon(HWND owner, HINSTANCE resources, Notify notify = DefaultNotify());
  ~TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;

  // Wants the icon and puts it in; false when the task bar did not take it
  // (Explorer not running), and the window must then stay reachable.
  bool Add();
  void Remove();
  // The task bar was made anew (Explorer started or restarted): an icon that
  // is wanted goes in (again), whether or not the old task bar had it.
  void OnTaskbarCreated();
  bool Wanted() const { return wanted_; }
  bool Shown() const { return shown_; }

  static Notify DefaultNotify();

 private:
  void PutIn();

  HWND owner_;
  HICON icon_;
  Notify notify_;
  bool wanted_ = false;
  bool shown_ = false;
};

}  // namespace qnc
