#pragma once
#include "views/templates/dialog_template.h"

namespace qnc {

namespace id {
inline constexpr int kPingNoticeDialog = 152;
// The notice's text (read-only, so the fix's command can be copied from it).
inline constexpr int kPingNoticeText = 1001;
}  // namespace id

// The window that says why pings cannot be sent and how to fix it, beside
// the main window, which goes on measuring; the window fills in the text. Its
// caption is its own, so that only the main window has the main title.
const DialogTemplate& PingNoticeDialogTemplate();

}  // namespace qnc
