#pragma once
#include <windows.h>

#include <string>
#include <string_view>

#include "core/lantest/lan_log.h"
#include "core/lantest/lan_log_store.h"
#include "core/lantest/lan_test_controller.h"
#include "win32/widgets/template_dialog.h"

namespace qnc {

// The LAN test window: server mode for the server preset, client mode for
// any other, with the preset as its caption. It listens as it opens, starts
// and stops the clients from its button, re-listens on the port command and
// shows the log, which the test threads write and which reaches this window
// only as posted notices. Closing it stops and joins every test thread.
class CLanSpeedDlg final : public TemplateDialog {
 public:
  explicit CLanSpeedDlg(std::string preset);
  ~CLanSpeedDlg() override;

 private:
  void OnInitDialog() override;
  void OnCommand(int id, int notifyCode, HWND control) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void FillControls(bool server);
  void OnStartStop();
  void OnChangePort();
  void ShowLogChanges();
  void Shutdown();

  std::string preset_;
  LanLogStore log_;
  ConsoleLines console_;
  LanTestController controller_;
  HFONT logFont_ = nullptr;
  bool shutDown_ = false;
};

}  // namespace qnc
