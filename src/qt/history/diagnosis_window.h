#pragma once
#include <functional>
#include <vector>

#include "core/history/diagnosis_report.h"
#include "qt/widgets/template_dialog.h"

namespace qnc {

// The window of "【检测】" (DiagnosisDialogTemplate): where the trouble most
// likely is, with the rows and figures behind each verdict, and "重新检测" to
// look again at the figures of that moment. Shows what its DiagnosisModel
// reports. Not modal.
class DiagnosisWindow final : public TemplateDialog {
  Q_OBJECT

 public:
  // `gather` reads the tables' figures; it is called on each run, on the
  // window's thread.
  explicit DiagnosisWindow(std::function<NetworkState()> gather, QWidget* parent = nullptr);

  // Diagnoses the figures of now and shows the verdicts.
  void Run();
  const std::vector<Verdict>& Verdicts() const { return model_.Verdicts(); }

 private:
  DiagnosisModel model_;
};

}  // namespace qnc
