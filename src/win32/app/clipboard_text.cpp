#include "win32/app/clipboard_text.h"

#include <cstring>
#include <string>

#include "win32/widgets/wide_text.h"

namespace qnc {

namespace {

std::wstring WithSystemLineBreaks(const std::wstring& text) {
  std::wstring result;
  result.reserve(text.size() + text.size() / 16);
  for (const wchar_t each : text) {
    if (each == L'\n') result += L'\r';
    result += each;
  }
  return result;
}

// The text in a movable block, as the clipboard takes it; null when no memory.
HGLOBAL TextBlock(const std::wstring& text) {
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, bytes);
  if (block == nullptr) return nullptr;
  void* target = GlobalLock(block);
  if (target == nullptr) {
    GlobalFree(block);
    return nullptr;
  }
  std::memcpy(target, text.c_str(), bytes);
  GlobalUnlock(block);
  return block;
}

}  // namespace

bool PutTextOnClipboard(HWND owner, std::string_view utf8) {
  HGLOBAL block = TextBlock(WithSystemLineBreaks(Utf16(utf8)));
  if (block == nullptr) return false;
  if (OpenClipboard(owner) == FALSE) {
    GlobalFree(block);
    return false;
  }
  EmptyClipboard();
  // Once placed, the block is the clipboard's.
  const bool placed = SetClipboardData(CF_UNICODETEXT, block) != nullptr;
  if (!placed) GlobalFree(block);
  CloseClipboard();
  return placed;
}

}  // namespace qnc
