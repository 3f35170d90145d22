#pragma once
#include <memory>
#include <ostream>
#include <string>

#include "core/lantest/lan_log.h"
#include "core/lantest/lan_log_store.h"
#include "core/lantest/lan_stream.h"
#include "core/lantest/lan_test_controller.h"
#include "core/lantest/lan_test_state.h"
#include "qt/widgets/template_dialog.h"
#include "qt/widgets/window_thread_call.h"

class QShowEvent;

namespace qnc {

// Where the dialog's test runs: the process's shared state and standard
// output unless a test hands in its own, and the port its listener starts on.
struct LanDialogEnvironment {
  LanTestState* state = nullptr;    // SharedLanTestState() when null
  std::ostream* console = nullptr;  // std::cout when null
  int serverPort = kDefaultLanPort;
};

// The LAN throughput test window. The opener sets m_preset and runs it
// modally; "Quorix测速服务器端" (byte for byte) opens the server side, any
// other text the client side. In both modes the window listens for test
// clients from the moment it opens until it closes. Closing it stops and
// joins every test thread it started. Its controls are those of the LAN
// test window's template (views/templates/lan_test_template), both modes' at once; the
// mode decides which of them show.
class CLanSpeedDlg : public TemplateDialog {
  Q_OBJECT

 public:
  explicit CLanSpeedDlg(QWidget* parent = nullptr);
  CLanSpeedDlg(QWidget* parent, const LanDialogEnvironment& environment);
  ~CLanSpeedDlg() override;

  // Caption and mode (UTF-8); read when the window is first shown.
  std::string m_preset;
  int m_serverPort = kDefaultLanPort;
  int m_clientPort = kDefaultLanPort;
  int m_threadCount = 1;

  // The commands of the start/stop button (client side), the change-port
  // button (server side) and the close request. Each waits a bounded time.
  void OnStartStop();
  void OnChangePort();
  void OnClose();

  bool IsServerMode() const;
  // The threads and the log behind the window.
  LanTestController& Controller() { return *controller_; }
  const LanLogStore& Log() const { return log_; }

  // Esc and the close box end here: the close command.
  void reject() override;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ConnectCommands();
  void OnInitDialog();
  void ShowLogChanges();

  LanDialogEnvironment environment_;
  bool initialized_ = false;
  bool closed_ = false;
  // The log and the console outlive the controller, whose threads write to them.
  LanLogStore log_;
  // Carries the log's change notices to this window's thread; a child of the window.
  WindowThreadCall* logCalls_ = new WindowThreadCall(this);
  std::unique_ptr<ConsoleLines> console_;
  std::unique_ptr<LanTestController> controller_;
};

}  // namespace qnc
