// quorix-net-check.exe: the Windows window front end.
#include <windows.h>
// After windows.h:
#include <commctrl.h>
#include <objbase.h>
#include <winsock2.h>

#include <string>

#include "views/commands/running_copy_check.h"
#include "views/templates/control_ids.h"
#include "win32/app/config_location.h"
#include "win32/app/main_window.h"
#include "win32/widgets/wide_text.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*commandLine*/, int /*show*/) {
  // Every common control class, the list views among them.
  INITCOMMONCONTROLSEX controls{sizeof controls, 0xFF};
  InitCommonControlsEx(&controls);
  // The shell (file dialogs, opening a page in the browser) wants a
  // single-threaded apartment on the window thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  // Another copy shows (or hides in the tray) a window with this exact
  // title. A warning only: this copy starts all the same.
  if (FindWindowW(nullptr, qnc::Utf16(qnc::kMainWindowTitle).c_str()) != nullptr) {
    MessageBoxW(nullptr, qnc::Utf16(qnc::kRunningCopyText).c_str(), qnc::Utf16(qnc::kRunningCopyCaption).c_str(),
                MB_OK);
  }

  WSADATA sockets{};
  const bool socketsStarted = WSAStartup(MAKEWORD(2, 2), &sockets) == 0;
  {
    const std::string fixedConfigPath = qnc::FixedConfigFilePath();
    qnc::CQUORIX_NET_CHECKDlg window(instance, fixedConfigPath, qnc::StartupConfigFilePath(fixedConfigPath));
    window.RunModal(nullptr, instance);
  }
  if (socketsStarted) WSACleanup();
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
