#pragma once
#include <windows.h>

#include <functional>

#include "core/history/diagnosis_report.h"
#include "win32/widgets/template_dialog.h"

namespace qnc {

// The diagnosis beside the main window: where the trouble most likely is,
// judged from the figures its gatherer reads when it opens and on each
// "重新检测", with the time of the run. It runs modeless, inside the main
// window's run.
class DiagnosisWindow final : public TemplateDialog {
 public:
  // `closed` is called once the window is gone (the owner may then delete it).
  DiagnosisWindow(std::function<NetworkState()> gather, std::function<void()> closed);
  ~DiagnosisWindow() override;

  bool Open(HWND owner, HINSTANCE resources);
  void Raise() const;
  // Diagnoses the figures of now and shows the verdicts.
  void Run();
  const DiagnosisModel& Model() const { return model_; }

 private:
  void OnInitDialog() override;
  void OnCommand(int id, int notifyCode, HWND control) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnClosed() override;

  DiagnosisModel model_;
  std::function<void()> closed_;
};

}  // namespace qnc
