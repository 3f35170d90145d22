// Exports and imports the host lists of a running main window through the
// real standard file dialogs, from outside its process, as a user would:
// the export button's save dialog takes a path and writes the lists there in
// the configuration format; the import button's open dialog reads another
// file and the three lists then hold its rows; a cancelled dialog changes
// nothing; neither dialog offers "Open as read-only".
// Usage: qnc_config_dialogs_check   (after the window is up)
// Exit status 0 when every step behaved, 1 when not, 2 when there is no window.
#include <windows.h>

#include <string>
#include <vector>

#include "core/config/config_file.h"
#include "core/model/table_kind.h"
#include "remote_window.h"
#include "views/templates/control_ids.h"
#include "views/templates/window_templates.h"
#include "win32/widgets/wide_text.h"

namespace {

using qnc::TableKind;
using qnc::remote::Print;
using qnc::remote::WaitUntil;

constexpr int kStepLimitMs = 15000;
// The file name box of the standard dialogs: a combo box (cmb13) in the
// Explorer-style dialog, an edit (edt1) in the older one.
constexpr int kFileNameCombo = 0x47c;
constexpr int kFileNameEdit = 0x480;
// The "Open as read-only" check box (chx1).
constexpr int kReadOnlyBox = 0x410;

int failures = 0;

void Expect(bool condition, const std::string& step) {
  Print(std::string(condition ? "  ok: " : "  FAIL: ") + step + "\n");
  if (!condition) ++failures;
}

// The shown standard dialog (class "#32770") that the main window owns.
HWND OwnedFileDialog(HWND main) {
  struct Search {
    HWND owner;
    HWND found;
  } search{main, nullptr};
  EnumWindows(
      [](HWND window, LPARAM context) -> BOOL {
        auto& wanted = *reinterpret_cast<Search*>(context);
        wchar_t className[64] = {};
        GetClassNameW(window, className, 64);
        if (std::wstring(className) == L"#32770" && GetWindow(window, GW_OWNER) == wanted.owner &&
            IsWindowVisible(window) != FALSE && GetDlgItem(window, IDOK) != nullptr) {
          wanted.found = window;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// Clicks a button of the main window and waits for its file dialog.
HWND OpenFileDialog(HWND main, int button) {
  PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(button), 0);
  HWND dialog = nullptr;
  WaitUntil([&] { return (dialog = OwnedFileDialog(main)) != nullptr; }, kStepLimitMs);
  return dialog;
}

// The lists are read or written whole: no dialog offers to open them read-only.
void ExpectNoReadOnlyBox(HWND dialog, const std::string& which) {
  HWND box = GetDlgItem(dialog, kReadOnlyBox);
  Expect(box == nullptr || IsWindowVisible(box) == FALSE, "the " + which + " dialog shows no read-only box");
}

// Types the path into the dialog's file name box and presses its OK button.
bool ChooseFile(HWND dialog, const std::wstring& path) {
  HWND box = GetDlgItem(dialog, kFileNameCombo);
  if (box == nullptr) box = GetDlgItem(dialog, kFileNameEdit);
  if (box == nullptr) return false;
  SendMessageTimeoutW(box, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()), SMTO_ABORTIFHUNG, kStepLimitMs,
                      nullptr);
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  return WaitUntil([&] { return IsWindow(dialog) == FALSE; }, kStepLimitMs);
}

constexpr qnc::PerTable<int> kListIds{qnc::id::kDnsTable, qnc::id::kPingTable, qnc::id::kGameTable};

// The first column of every list, top row first.
qnc::ConfigTables ShownTargets(HWND main) {
  qnc::ConfigTables shown;
  for (const TableKind kind : qnc::kAllTables) {
    qnc::remote::ListReader rows(GetDlgItem(main, kListIds[kind]));
    for (int row = 0; row < rows.RowCount(); ++row) shown[kind].push_back(rows.Cell(row, 0));
  }
  return shown;
}

std::string Joined(const std::vector<std::string>& texts) {
  std::string joined;
  for (const auto& text : texts) joined += (joined.empty() ? "" : ", ") + text;
  return joined;
}

void CheckExport(HWND main, const std::wstring& path) {
  DeleteFileW(path.c_str());
  const qnc::ConfigTables before = ShownTargets(main);
  HWND dialog = OpenFileDialog(main, qnc::id::kExportButton);
  Expect(dialog != nullptr, "导出配置 opens the save dialog");
  if (dialog == nullptr) return;
  ExpectNoReadOnlyBox(dialog, "save");
  Expect(ChooseFile(dialog, path), "a typed path and OK close the save dialog");
  Expect(WaitUntil([&] { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }, kStepLimitMs),
         "the lists are exported to " + qnc::Utf8(path));
  std::string whyNot;
  const qnc::LoadedConfig read = qnc::ReadConfig(qnc::Utf8(path), &whyNot);
  Expect(read.accepted, "the exported file reads as a configuration file " + whyNot);
  for (const TableKind kind : qnc::kAllTables) {
    const auto& rows = read.tables[kind];
    Expect(rows.has_value() && *rows == before[kind],
           "the exported file holds the list's rows in their order: " + Joined(before[kind]));
  }
}

void CheckImport(HWND main, const std::wstring& path) {
  const qnc::ConfigTables fixture{
      std::vector<std::string>{"import-one.test", "import-two.test"},
      std::vector<std::string>{"127.0.0.9", "127.0.0.8", "127.0.0.7"},
      std::vector<std::string>{"127.0.0.1:9"},
  };
  Expect(qnc::SaveTablesForReload(qnc::Utf8(path), fixture), "a file to import is written");

  // Cancelled: nothing changes.
  const qnc::ConfigTables before = ShownTargets(main);
  HWND dialog = OpenFileDialog(main, qnc::id::kImportButton);
  Expect(dialog != nullptr, "导入配置 opens the open dialog");
  if (dialog == nullptr) return;
  ExpectNoReadOnlyBox(dialog, "open");
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  Expect(WaitUntil([&] { return IsWindow(dialog) == FALSE; }, kStepLimitMs), "Cancel closes the open dialog");
  Sleep(300);
  Expect(ShownTargets(main) == before, "a cancelled import changes no list");

  dialog = OpenFileDialog(main, qnc::id::kImportButton);
  Expect(dialog != nullptr && ChooseFile(dialog, path), "a typed path and OK close the open dialog");
  Expect(WaitUntil([&] { return ShownTargets(main) == fixture; }, kStepLimitMs),
         "the lists hold the imported rows: " + Joined(fixture[TableKind::kPing]));
}

}  // namespace

int wmain() {
  HWND main = qnc::remote::WaitForShownWindow(qnc::kMainWindowTitle, 30000);
  if (main == nullptr) {
    Print(std::string("no window titled ") + qnc::kMainWindowTitle + "\n");
    return 2;
  }
  wchar_t folder[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, folder);
  CheckExport(main, std::wstring(folder) + L"qnc-导出.txt");
  CheckImport(main, std::wstring(folder) + L"qnc-导入.txt");
  Print(failures == 0 ? "export and import behaved\n" : std::to_string(failures) + " steps failed\n");
  return failures == 0 ? 0 : 1;
}
