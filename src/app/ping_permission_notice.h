#pragma once
// Where the process may open no ICMP socket, every ping row would only ever
// show "超时" while the DNS and game tables look fine. The window says so once,
// with the fix, instead of leaving the reason on standard error alone.
#include <QString>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace qnc {

class ProbeTableModel;

// The object name of the notice box, by which tests find it.
inline constexpr const char* kPingNoticeName = "pingPermissionNotice";

// Why pings cannot be sent, or nothing when they can.
using IcmpCheck = std::function<std::optional<std::string>()>;

// The notice: what goes wrong, the platform's reason and how to give the
// program at `programPath` the right it lacks.
QString PingPermissionText(const std::string& reason, const QString& programPath);

// Asks `check` (empty: the platform's own check) once. When pings cannot be
// sent, every ping row gets the notice as its tooltip, and a message box over
// `owner` shows it as soon as the event loop runs; the box does not block the
// window and goes when the user dismisses it.
void NoticeIfPingsCannotBeSent(QWidget& owner, ProbeTableModel& pingModel, const IcmpCheck& check);

}  // namespace qnc
