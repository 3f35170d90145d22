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

// How the program at hand was put where it runs: built and started from the
// build tree of its sources, or installed (by `cmake --install`, a package or
// a copy).
enum class ProgramPlacement { kBuildTree, kInstalled };

// Where the program at `programPath` runs from: inside `buildTree` (empty:
// the tree this program was built in) is the build tree.
ProgramPlacement PlacementOf(const QString& programPath, const QString& buildTree = {});

// The notice, in the window's language: what goes wrong and why, the fix that
// fits the program at `programPath` as it was placed, and that the program
// must be started anew for the right to count.
QString PingPermissionText(const QString& programPath, ProgramPlacement placement);

// Asks `check` (empty: the platform's own check) once. When pings cannot be
// sent, every ping row gets the notice as its tooltip, and a message box over
// `owner` shows it as soon as the event loop runs, with the system's own words
// for the refusal among its details; the box does not block the window and
// goes when the user dismisses it.
void NoticeIfPingsCannotBeSent(QWidget& owner, ProbeTableModel& pingModel, const IcmpCheck& check);

}  // namespace qnc
