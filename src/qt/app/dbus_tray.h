#pragma once

namespace qnc {

// Whether Qt shows this application's tray icon on a tray that speaks D-Bus
// (StatusNotifierItem: KDE Plasma; GNOME with the AppIndicator extension)
// rather than on an X11 tray. Qt's X11 and Wayland platforms do so whenever
// the session bus carries a StatusNotifierWatcher with a host registered; this
// asks the bus the same question. Such a tray reports a click on the icon as
// its one activation and never a double click. Each bus call waits a bounded time.
bool TrayIconGoesOverDBus();

}  // namespace qnc
