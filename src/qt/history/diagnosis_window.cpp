#include "qt/history/diagnosis_window.h"

#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>

#include "views/templates/history_templates.h"

namespace qnc {

DiagnosisWindow::DiagnosisWindow(std::function<NetworkState()> gather, QWidget* parent)
    : TemplateDialog(DiagnosisDialogTemplate(), parent), model_(std::move(gather)) {
  setModal(false);
  connect(ControlAs<QPushButton>(id::kDiagnosisRerunButton), &QPushButton::clicked, this, &DiagnosisWindow::Run);
  Run();
}

void DiagnosisWindow::Run() {
  const DiagnosisReport& report = model_.Run();
  ControlAs<QTextBrowser>(id::kDiagnosisVerdicts)->setHtml(QString::fromStdString(DiagnosisHtml(report)));
  ControlAs<QLabel>(id::kDiagnosisTimeLabel)->setText(QString::fromStdString(report.timeLine));
}

}  // namespace qnc
