#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "core/probe/probe_session.h"
#include "views/commands/ping_permission_text.h"
#include "views/commands/window_commands.h"
#include "views/window_core/main_window_core.h"
#include "win32/app/ping_notice_window.h"
#include "win32/app/table_lists.h"
#include "win32/app/tray_icon.h"
#include "win32/app/win32_ui_services.h"
#include "win32/history/history_windows.h"
#include "win32/widgets/template_dialog.h"

namespace qnc {

// The main window: the DNS, ping and game tables measured live by the
// session's workers, the DNS server box, the command buttons, the menu bar,
// the system menu's About item and the tray icon. Ctrl+C in a list copies its
// selected rows (all when none is selected); a row's tip says why its latest
// probe failed; where pings cannot be sent a notice says why, once, and the
// ping rows' tips say it too. A double click on a row opens its details
// window, "【检测】" the diagnosis window, both beside this one. Enter does nothing; Esc
// (or the tray menu's item) ends its run. The close box hides it into the
// notification area while the workers go on measuring.
class CQUORIX_NET_CHECKDlg final : public TemplateDialog {  // NOLINT(readability-identifier-naming)
 public:
  // Start-up loads `startupConfigPath`; the tray saves to `fixedConfigPath`.
  // `icmpCheck` says whether pings can be sent (empty: the platform's check).
  CQUORIX_NET_CHECKDlg(HINSTANCE resources, std::string fixedConfigPath, std::string startupConfigPath,
                       IcmpCheck icmpCheck = {});
  // Stops and joins the workers (if the window's end has not already).
  ~CQUORIX_NET_CHECKDlg() override;

 private:
  void OnInitDialog() override;
  void OnCommand(int id, int notifyCode, HWND control) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void SetIcons();
  void AddAboutToSystemMenu();
  void ListenToWorkers();
  void CheckPingRights();
  void CopyRows(TableKind kind);
  void MarkServerBox(const std::string& text);
  void StopWorkers();
  bool OnSysCommand(WPARAM command);
  void OnTrayNotify(LPARAM mouseEvent);
  void OnNotify(const NMHDR& header, LRESULT& result, bool& handled);
  void ShowWorkerServerText();
  void RunAbout();
  void OpenPage(const char* address);
  // After a command that may have added or removed rows.
  void RunTableCommand(void (WindowCommands::*command)(TableKind), TableKind kind);

  HINSTANCE resources_;
  const std::string startupConfigPath_;
  const IcmpCheck icmpCheck_;
  // The program's own measuring options, named so the session copies a whole
  // object (GCC 12 at -O3 takes a defaulted temporary for half-built).
  const ProbeSessionOptions sessionOptions_{};
  // The tables, their workers and the GPU worker.
  MainWindowCore core_;
  TableLists lists_;
  Win32UiServices ui_;
  WindowCommands commands_;
  std::unique_ptr<TrayIcon> tray_;
  std::unique_ptr<PingNoticeWindow> pingNotice_;
  // Before the session goes: its windows read the session's tables.
  std::unique_ptr<HistoryWindows> history_;
  // Broadcast when the task bar is made anew, for the tray icon.
  const UINT taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  // The DNS server box's background while its text names no server.
  HBRUSH invalidServerBoxBrush_ = nullptr;
  bool serverBoxInvalid_ = false;
  bool workersStopped_ = false;
};

}  // namespace qnc
