#pragma once
// Where the process may open no ICMP socket, every ping row would only ever
// show "超时" while the DNS and game tables look fine. The window says so once,
// with the fix, instead of leaving the reason on standard error alone. The
// texts are the same in both windows; only the fix differs by system.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qnc {

// Why pings cannot be sent, or nothing when they can (the platform's check is
// IcmpUnavailableReason; tests give their own).
using IcmpCheck = std::function<std::optional<std::string>()>;

// How the program at hand was put where it runs: built and started from the
// build tree of its sources, or installed (by `cmake --install`, a package or
// a copy).
enum class ProgramPlacement { kBuildTree, kInstalled };

// Where the program at `programPath` runs from: inside `buildTree` is the
// build tree. Both paths are taken as absolute and cleaned first.
ProgramPlacement PlacementOf(std::string_view programPath, std::string_view buildTree);

// The notice where pings need the right to open raw sockets (root or
// cap_net_raw): what goes wrong and why, the command that gives the program at
// `programPath` the right (quoted so that it can be pasted as it stands, and,
// for a build-tree program, the source tree's script that installs one), and
// that the program must be started anew for the right to count.
std::string PingPermissionText(std::string_view programPath, ProgramPlacement placement);

// The notice where only an administrator may open raw ICMP sockets (Windows).
std::string AdministratorPingPermissionText();

}  // namespace qnc
