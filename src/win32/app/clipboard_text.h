#pragma once
#include <windows.h>

#include <string_view>

namespace qnc {

// Puts UTF-8 text on the clipboard as Unicode text, its line breaks as the
// system's CR LF; the clipboard's owner is `owner`. False when the clipboard
// could not be opened or the text not placed (it is then left as it was or
// empty).
bool PutTextOnClipboard(HWND owner, std::string_view utf8);

}  // namespace qnc
