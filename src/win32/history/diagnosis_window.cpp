#include "win32/history/diagnosis_window.h"

#include <string>

#include "views/templates/history_templates.h"

namespace qnc {

namespace {

// To itself, once the dialog manager has set the first focus (which selects
// the whole text of the verdicts): the verdicts show unselected.
constexpr UINT kUnselectVerdicts = WM_APP + 1;

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

void DiagnosisWindow::OnInitDialog() {
  Run();
  PostMessageW(Handle(), kUnselectVerdicts, 0, 0);
}

std::optional<LRESULT> DiagnosisWindow::OnMessage(UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
  if (message != kUnselectVerdicts) return std::nullopt;
  SendMessageW(Control(id::kDiagnosisVerdicts), EM_SETSEL, 0, 0);
  return 0;
}

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
