#pragma once
// The Qt window's notice when pings cannot be sent (the texts: PingPermissionText).
#include "views/commands/ping_permission_text.h"

class QWidget;

namespace qnc {

class ProbeTableModel;

// The object name of the notice box, by which tests find it.
inline constexpr const char* kPingNoticeName = "pingPermissionNotice";

// Asks `check` (empty: the platform's own check) once. When pings cannot be
// sent, every ping row gets the notice as its tooltip, and a message box over
// `owner` shows it as soon as the event loop runs, with the system's own words
// for the refusal among its details; the box does not block the window and
// goes when the user dismisses it.
void NoticeIfPingsCannotBeSent(QWidget& owner, ProbeTableModel& pingModel, const IcmpCheck& check);

}  // namespace qnc
