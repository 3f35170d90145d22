#pragma once
#include <QPlainTextEdit>

#include "core/lantest/lan_log_store.h"

namespace qnc {

// Applies the store's gathered changes to the log control: a replacement
// sets the whole text, lines in front and at the end are inserted there, so
// a new line costs the same however long the log already is. Line ends are
// shown as the control's own ("\r\n" becomes a line break). A view scrolled
// to the top stays at the top, where the newest lines appear.
void ApplyLogChanges(QPlainTextEdit& view, const LanLogStore::Changes& changes);

// The log text in the store's terms ("\r\n" line ends), read back from the control.
std::string LogViewText(const QPlainTextEdit& view);

}  // namespace qnc
