#pragma once
#include <QWidget>
#include <functional>
#include <vector>

#include "core/diagnosis/diagnosis.h"

class QLabel;
class QPushButton;
class QTextBrowser;

namespace qnc {

// The object names by which tests and the screenshot script find the parts.
inline constexpr const char* kDiagnosisWindowName = "diagnosisWindow";
inline constexpr const char* kDiagnosisTextName = "diagnosisVerdicts";
inline constexpr const char* kRerunDiagnosisButtonName = "rerunDiagnosisButton";

// The window of "【检测】": where the trouble most likely is, with the rows and
// figures behind each verdict, and "重新检测" to look again at the figures of
// that moment. Not modal.
class DiagnosisWindow final : public QWidget {
  Q_OBJECT

 public:
  // `gather` reads the tables' figures; it is called on each run, on the
  // window's thread.
  explicit DiagnosisWindow(std::function<NetworkState()> gather, QWidget* parent = nullptr);

  // Diagnoses the figures of now and shows the verdicts.
  void Run();
  const std::vector<Verdict>& Verdicts() const { return verdicts_; }

 private:
  std::function<NetworkState()> gather_;
  std::vector<Verdict> verdicts_;
  QLabel* time_ = nullptr;
  QTextBrowser* text_ = nullptr;
  QPushButton* rerun_ = nullptr;
};

}  // namespace qnc
