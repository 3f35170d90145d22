#include "win32/history/diagnosis_window.h"

#include <string>

#include "views/templates/history_templates.h"

namespace qnc {

namespace {

// A multi-line edit breaks lines only at CR LF.
std::string WithEditLineBreaks(const std::string& text) {
  std::string result;
  for (const char each : text) {
    if (each == '\n') result += '\r';
    result += each;
  }
  return result;
}

}  // namespace

DiagnosisWindow::DiagnosisWindow(std::function<NetworkState()> gather, std::function<void()> closed)
    : TemplateDialog(DiagnosisDialogTemplate()), model_(std::move(gather)), closed_(std::move(closed)) {}

DiagnosisWindow::~DiagnosisWindow() {
  if (Handle() != nullptr) DestroyWindow(Handle());
}

bool DiagnosisWindow::Open(HWND owner, HINSTANCE resources) { return OpenModeless(owner, resources); }

void DiagnosisWindow::Raise() const {
  if (Handle() == nullptr) return;
  ShowWindow(Handle(), IsIconic(Handle()) != FALSE ? SW_RESTORE : SW_SHOW);
  SetForegroundWindow(Handle());
}

void DiagnosisWindow::OnInitDialog() { Run(); }

void DiagnosisWindow::Run() {
  const DiagnosisReport& report = model_.Run();
  if (Handle() == nullptr) return;
  SetControlText(id::kDiagnosisVerdicts, WithEditLineBreaks(DiagnosisPlainText(report)));
  SetControlText(id::kDiagnosisTimeLabel, report.timeLine);
}

void DiagnosisWindow::OnCommand(int id, int notifyCode, HWND control) {
  if (id == id::kDiagnosisRerunButton) return Run();
  if (id == IDOK) return;  // Enter does nothing; Esc and the close box close the window
  TemplateDialog::OnCommand(id, notifyCode, control);
}

void DiagnosisWindow::OnClosed() {
  if (closed_) closed_();
}

}  // namespace qnc
