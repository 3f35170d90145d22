#pragma once
#include "views/templates/dialog_template.h"

namespace qnc {

// Dialog 100: the About box.
const DialogTemplate& AboutDialogTemplate();
// Dialog 102: the main window.
const DialogTemplate& MainDialogTemplate();
// Dialog 131: the input box that asks for one domain or host.
const DialogTemplate& AddHostDialogTemplate();
// Dialog 136: the input box that asks for a game server and its description.
const DialogTemplate& GameServerDialogTemplate();
// Dialog 138: the game web-page window, a browser over its whole client area.
const DialogTemplate& WebPageDialogTemplate();

}  // namespace qnc
