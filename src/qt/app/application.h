#pragma once
#include <QString>
#include <chrono>
#include <memory>

#include "qt/app/main_window_options.h"
#include "qt/app/running_copy.h"

namespace qnc {

class CQUORIX_NET_CHECKDlg;

// Shows the running-copy warning and returns when the user has closed it.
void ShowRunningCopyWarning();

struct StartupOptions {
  // Where the single-instance locks live; empty for the user's runtime folder.
  QString instanceLockFolder;
  MainWindowOptions window;
  // How long the exit waits for the workers before it ends the process at once.
  std::chrono::milliseconds workerStopLimit{1000};
};

// Start-up and end of the program around the main window. Needs a
// QApplication; runs on its thread.
class CQUORIX_NET_CHECKApp {
 public:
  explicit CQUORIX_NET_CHECKApp(StartupOptions options);
  ~CQUORIX_NET_CHECKApp();

  // The single-instance check (a warning, never a refusal), then the main
  // window, shown centred with its workers running. When the window's run
  // ends (Esc, or the close box), the application's event loop is told to quit.
  void InitInstance();

  // After the event loop has returned: stops the workers and closes the
  // window. A worker that is still inside a system name lookup when the stop
  // limit passes would hold the exit for as long as the resolver waits; the
  // process then ends at once instead, as nothing is left to save.
  int ExitInstance();

  CQUORIX_NET_CHECKDlg* MainWindow() const { return window_.get(); }

 private:
  StartupOptions options_;
  RunningCopyLock copyLock_;
  std::unique_ptr<CQUORIX_NET_CHECKDlg> window_;
};

}  // namespace qnc
