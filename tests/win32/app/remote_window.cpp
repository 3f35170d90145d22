#include "remote_window.h"

// After windows.h:
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "win32/widgets/wide_text.h"

namespace qnc::remote {

namespace {

constexpr std::size_t kRequestRoom = 256;
constexpr std::size_t kTextRoom = 4096;
constexpr UINT kAnswerLimitMs = 5000;

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerLimitMs, &answer) == 0) return -1;
  return static_cast<LRESULT>(answer);
}

}  // namespace

void Print(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

HWND WaitForWindow(const std::string& title, int waitMs) {
  const std::wstring wide = Utf16(title);
  HWND window = nullptr;
  WaitUntil([&] { return (window = FindWindowW(nullptr, wide.c_str())) != nullptr; }, waitMs);
  return window;
}

HWND WaitForShownWindow(const std::string& title, int waitMs) {
  const std::wstring wide = Utf16(title);
  HWND window = nullptr;
  WaitUntil(
      [&] {
        window = FindWindowW(nullptr, wide.c_str());
        return window != nullptr && IsWindowVisible(window) != FALSE;
      },
      waitMs);
  return window != nullptr && IsWindowVisible(window) != FALSE ? window : nullptr;
}

ListReader::ListReader(HWND list) : list_(list) {
  DWORD processId = 0;
  GetWindowThreadProcessId(list, &processId);
  process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (process_ != nullptr) {
    base_ = static_cast<char*>(
        VirtualAllocEx(process_, nullptr, kRequestRoom + kTextRoom * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
  }
}

ListReader::~ListReader() {
  if (base_ != nullptr) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
  if (process_ != nullptr) CloseHandle(process_);
}

template <typename Request>
LPARAM ListReader::Put(const Request& request) {
  static_assert(sizeof(Request) <= kRequestRoom);
  WriteProcessMemory(process_, base_, &request, sizeof request, nullptr);
  return reinterpret_cast<LPARAM>(base_);
}

wchar_t* ListReader::RemoteText() const { return reinterpret_cast<wchar_t*>(base_ + kRequestRoom); }

std::string ListReader::ReadText() const {
  std::vector<wchar_t> text(kTextRoom, L'\0');
  ReadProcessMemory(process_, RemoteText(), text.data(), (kTextRoom - 1) * sizeof(wchar_t), nullptr);
  return Utf8(text.data());
}

int ListReader::RowCount() const { return static_cast<int>(Ask(list_, LVM_GETITEMCOUNT, 0, 0)); }

std::string ListReader::Cell(int row, int column) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = RemoteText();
  item.cchTextMax = static_cast<int>(kTextRoom);
  if (Ask(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), Put(item)) < 0) return "(no answer)";
  return ReadText();
}

std::string ListReader::Caption(int column) {
  LVCOLUMNW request{};
  request.mask = LVCF_TEXT;
  request.pszText = RemoteText();
  request.cchTextMax = static_cast<int>(kTextRoom);
  if (Ask(list_, LVM_GETCOLUMNW, static_cast<WPARAM>(column), Put(request)) <= 0) return "(no column)";
  return ReadText();
}

int ListReader::ColumnWidth(int column) const {
  return static_cast<int>(Ask(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
}

int ListReader::TextWidth(const std::string& text) {
  std::wstring wide = Utf16(text);
  wide.resize(std::min(wide.size(), kTextRoom - 1));
  wide.push_back(L'\0');
  WriteProcessMemory(process_, RemoteText(), wide.data(), wide.size() * sizeof(wchar_t), nullptr);
  return static_cast<int>(Ask(list_, LVM_GETSTRINGWIDTHW, 0, reinterpret_cast<LPARAM>(RemoteText())));
}

void ListReader::Select(int row) {
  LVITEMW clear{};
  clear.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  Ask(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), Put(clear));
  LVITEMW select{};
  select.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  select.state = LVIS_SELECTED | LVIS_FOCUSED;
  Ask(list_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), Put(select));
  Ask(list_, LVM_SETSELECTIONMARK, 0, row);
}

}  // namespace qnc::remote
