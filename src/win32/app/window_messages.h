#pragma once
#include <windows.h>

namespace qnc::message {

// The notification-area icon's callback message (the icon id comes as
// wParam, the mouse event as lParam). In a dialog it shares its number with
// DM_SETDEFID, so the window tells them apart by the icon id.
inline constexpr UINT kTrayNotify = WM_USER + 1;

// What the worker threads post to the window thread; a worker never waits
// for the window (PostMessage only). Each carries no data: the window reads
// the stores when it handles it, so a burst of changes costs one repaint.
inline constexpr UINT kCellsChanged = WM_APP + 1;       // wParam: the TableKind whose cells changed
inline constexpr UINT kServerTextChanged = WM_APP + 2;  // the DNS worker set the server box's text
inline constexpr UINT kGpuTextChanged = WM_APP + 3;     // wParam: the label whose text changed
inline constexpr UINT kLogChanged = WM_APP + 4;         // the LAN test log has unread changes
// The window to itself: open the ping notice, now that the window shows.
inline constexpr UINT kOpenPingNotice = WM_APP + 5;
// A row's details window or the diagnosis window has gone: let go of it.
inline constexpr UINT kHistoryWindowClosed = WM_APP + 6;

}  // namespace qnc::message
