#pragma once
#include <QPoint>
#include <QSystemTrayIcon>
#include <functional>
#include <memory>
#include <optional>

class QWidget;

namespace qnc {

// A window's place in the notification area. Closing the window hides it
// there behind icon 128 (tip "Quorix路由测试工具"), or, on a desktop without a
// notification area, minimises it, since hidden without an icon it would be
// lost. Activating the icon brings the window back as it was and removes the
// icon; a right click saves the tables and offers the menu that ends the
// program.
class TrayPresence {
 public:
  // What the owner supplies. Empty functions take the desktop's own answer
  // (the first two) or do nothing.
  struct Hooks {
    // Whether the desktop has a notification area.
    std::function<bool()> trayAvailable;
    // Whether the tray reports a click on the icon as its only activation,
    // with no double click (a D-Bus tray).
    std::function<bool()> clickIsTheActivation;
    // The right click's save, before the menu opens.
    std::function<void()> saveTables;
    // The menu's one item.
    std::function<void()> endProgram;
  };

  TrayPresence(QWidget& window, Hooks hooks);
  ~TrayPresence();
  TrayPresence(const TrayPresence&) = delete;
  TrayPresence& operator=(const TrayPresence&) = delete;

  // The close box: into the notification area, or minimised without one.
  void CloseWindow();
  // Brings the window back normal, active and where it was, and removes the icon.
  void RestoreWindow();
  // The icon's events. A double click restores the window, and so does a
  // click where the tray has no double click; a right click saves the tables
  // and then offers the menu. Other events do nothing.
  void OnActivated(QSystemTrayIcon::ActivationReason reason);

  void ShowIcon();
  void HideIcon();
  // Null until the window first goes into the notification area.
  QSystemTrayIcon* Icon() const { return icon_.get(); }

 private:
  bool TrayAvailable() const;
  void OnRightClick();

  QWidget& window_;
  Hooks hooks_;
  std::unique_ptr<QSystemTrayIcon> icon_;
  // Decided with the icon, as Qt decides which kind of tray icon to make.
  bool clickIsTheActivation_ = false;
  // The frame's place when the window was hidden: a window manager that
  // places the client where the frame was would move it down on every return.
  std::optional<QPoint> placeWhenHidden_;
};

}  // namespace qnc
