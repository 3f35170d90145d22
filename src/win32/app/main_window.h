#pragma once
#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "core/probe/probe_session.h"
#include "views/commands/window_commands.h"
#include "views/window_core/main_window_core.h"
#include "win32/app/table_lists.h"
#include "win32/app/tray_icon.h"
#include "win32/app/win32_ui_services.h"
#include "win32/widgets/template_dialog.h"

namespace qnc {

// The main window: the DNS, ping and game tables measured live by the
// session's workers, the DNS server box, the command buttons, the menu bar,
// the system menu's About item and the tray icon. Enter does nothing; Esc
// (or the tray menu's item) ends its run. The close box hides it into the
// notification area while the workers go on measuring.
class MainWindow final : public TemplateDialog {
 public:
  // Start-up loads `startupConfigPath`; the tray saves to `fixedConfigPath`.
  MainWindow(HINSTANCE resources, std::string fixedConfigPath, std::string startupConfigPath);
  // Stops and joins the workers (if the window's end has not already).
  ~MainWindow() override;

 private:
  void OnInitDialog() override;
  void OnCommand(int id, int notifyCode, HWND control) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  void SetIcons();
  void AddAboutToSystemMenu();
  void ListenToWorkers();
  void StopWorkers();
  bool OnSysCommand(WPARAM command);
  void OnTrayNotify(LPARAM mouseEvent);
  void OnNotify(const NMHDR& header, LRESULT& result, bool& handled);
  void ShowWorkerServerText();
  void OpenPage(const char* address);
  // After a command that may have added or removed rows.
  void RunTableCommand(void (WindowCommands::*command)(TableKind), TableKind kind);

  HINSTANCE resources_;
  const std::string startupConfigPath_;
  // The program's own measuring options, named so the session copies a whole
  // object (GCC 12 at -O3 takes a defaulted temporary for half-built).
  const ProbeSessionOptions sessionOptions_{};
  // The tables, their workers and the GPU worker.
  MainWindowCore core_;
  TableLists lists_;
  Win32UiServices ui_;
  WindowCommands commands_;
  std::unique_ptr<TrayIcon> tray_;
  // Broadcast when the task bar is made anew, for the tray icon.
  const UINT taskbarCreated_ = RegisterWindowMessageW(L"TaskbarCreated");
  HICON bigIcon_ = nullptr;
  HICON smallIcon_ = nullptr;
  bool workersStopped_ = false;
};

}  // namespace qnc
