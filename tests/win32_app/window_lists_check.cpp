// Reads the three list views of a running main window from outside its
// process, as a user sees them, and checks that they hold the default rows
// under the table captions. Prints every row it read (UTF-8, tab-separated).
// Usage: qnc_window_lists_check [SECONDS]  (how long to wait for the window; default 30)
// Exit status 0 when the lists match, 1 when not, 2 when the window never came.
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "probe/default_rows.h"
#include "probe/table_schema.h"
#include "ui/control_ids.h"
#include "win32_ui/wide_text.h"

namespace {

using qnc::TableKind;

constexpr std::size_t kTextRoom = 4096;
constexpr UINT kAnswerLimitMs = 5000;

void Print(const std::string& text) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// A block of memory in the window's process where a list view can write the
// text it is asked for; the request structure goes first, the text after it.
class RemoteBuffer {
 public:
  explicit RemoteBuffer(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    if (process_ != nullptr) {
      base_ = static_cast<char*>(
          VirtualAllocEx(process_, nullptr, kRequestRoom + kTextRoom * sizeof(wchar_t), MEM_COMMIT, PAGE_READWRITE));
    }
  }
  ~RemoteBuffer() {
    if (base_ != nullptr) VirtualFreeEx(process_, base_, 0, MEM_RELEASE);
    if (process_ != nullptr) CloseHandle(process_);
  }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  bool Usable() const { return base_ != nullptr; }
  wchar_t* Text() const { return reinterpret_cast<wchar_t*>(base_ + kRequestRoom); }
  template <typename Request>
  Request* Put(const Request& request) {
    WriteProcessMemory(process_, base_, &request, sizeof request, nullptr);
    return reinterpret_cast<Request*>(base_);
  }
  std::string ReadText() const {
    std::vector<wchar_t> text(kTextRoom, L'\0');
    ReadProcessMemory(process_, Text(), text.data(), (kTextRoom - 1) * sizeof(wchar_t), nullptr);
    return qnc::Utf8(text.data());
  }

 private:
  static constexpr std::size_t kRequestRoom = 256;
  HANDLE process_ = nullptr;
  char* base_ = nullptr;
};

LRESULT Ask(HWND list, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutW(list, message, wParam, lParam, SMTO_ABORTIFHUNG, kAnswerLimitMs, &answer) == 0) return -1;
  return static_cast<LRESULT>(answer);
}

std::string CellText(HWND list, RemoteBuffer& buffer, int row, int column) {
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = buffer.Text();
  item.cchTextMax = static_cast<int>(kTextRoom);
  Ask(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buffer.Put(item)));
  return buffer.ReadText();
}

std::string ColumnCaption(HWND list, RemoteBuffer& buffer, int column) {
  LVCOLUMNW request{};
  request.mask = LVCF_TEXT;
  request.pszText = buffer.Text();
  request.cchTextMax = static_cast<int>(kTextRoom);
  if (Ask(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(buffer.Put(request))) == 0) {
    return "(no column)";
  }
  return buffer.ReadText();
}

// Compares one table; prints what it read and every difference.
bool CheckTable(HWND window, TableKind kind, int listId, const std::vector<qnc::DefaultRow>& expected,
                std::size_t targetsToCompare) {
  HWND list = GetDlgItem(window, listId);
  RemoteBuffer buffer(window);
  if (list == nullptr || !buffer.Usable()) {
    Print("list " + std::to_string(listId) + ": cannot be read\n");
    return false;
  }
  bool same = true;
  const auto& columns = qnc::SchemaOf(kind).columns;
  for (std::size_t column = 0; column < columns.size(); ++column) {
    const std::string caption = ColumnCaption(list, buffer, static_cast<int>(column));
    if (caption != columns[column].caption) {
      Print("list " + std::to_string(listId) + " column " + std::to_string(column) + ": caption '" + caption +
            "', expected '" + std::string(columns[column].caption) + "'\n");
      same = false;
    }
  }
  const auto rows = static_cast<std::size_t>(Ask(list, LVM_GETITEMCOUNT, 0, 0));
  Print("list " + std::to_string(listId) + ": " + std::to_string(rows) + " rows\n");
  for (std::size_t row = 0; row < rows; ++row) {
    std::string line;
    for (std::size_t column = 0; column < columns.size(); ++column) {
      line += (column == 0 ? "  " : "\t") + CellText(list, buffer, static_cast<int>(row), static_cast<int>(column));
    }
    Print(line + "\n");
  }
  if (rows != expected.size()) {
    Print("  expected " + std::to_string(expected.size()) + " rows\n");
    return false;
  }
  for (std::size_t row = 0; row < targetsToCompare; ++row) {
    const std::string target = CellText(list, buffer, static_cast<int>(row), 0);
    if (target != expected[row].target) {
      Print("  row " + std::to_string(row) + ": '" + target + "', expected '" + expected[row].target + "'\n");
      same = false;
    }
  }
  return same;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int waitSeconds = argc > 1 ? std::wcstol(argv[1], nullptr, 10) : 30;
  const std::wstring title = qnc::Utf16(qnc::kMainWindowTitle);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(waitSeconds);
  HWND window = nullptr;
  while ((window = FindWindowW(nullptr, title.c_str())) == nullptr && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (window == nullptr) {
    Print("no window titled " + qnc::Utf8(title) + "\n");
    return 2;
  }
  // The ping table's fourth row is the gateway, whatever this machine has.
  const std::vector<qnc::DefaultRow> ping = qnc::DefaultPingRows("");
  bool same = CheckTable(window, TableKind::kDns, qnc::id::kDnsTable, qnc::DefaultDnsRows(), 3);
  same = CheckTable(window, TableKind::kPing, qnc::id::kPingTable, ping, ping.size() - 1) && same;
  same = CheckTable(window, TableKind::kGame, qnc::id::kGameTable, qnc::DefaultGameRows(), 3) && same;
  Print(same ? "the lists hold the default rows\n" : "the lists differ from the default rows\n");
  return same ? 0 : 1;
}
