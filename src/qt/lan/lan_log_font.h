#pragma once
#include <QFont>
#include <QStringList>

namespace qnc {

// The family the log asks for first.
inline constexpr char kLanLogFontFamily[] = "华文行楷";

// The log's font: bold, 16 pixels, in "华文行楷" when the system has it and
// otherwise in an installed font that covers Simplified Chinese, so the
// Chinese log lines render either way. `installed` is the system's list of
// families (a parameter so the choice can be checked against any list).
QFont LanLogFont(const QStringList& installed);

}  // namespace qnc
