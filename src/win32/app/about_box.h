#pragma once
#include <windows.h>

namespace qnc {

// Runs the About box (its text, OK button and QR picture) modally over
// `owner`; OK, Enter, Esc and the close box end it.
void RunAboutBox(HWND owner, HINSTANCE resources);

}  // namespace qnc
