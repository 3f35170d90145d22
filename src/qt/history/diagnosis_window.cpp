#include "qt/history/diagnosis_window.h"

#include <QDateTime>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace qnc {

namespace {

// Trouble in red, all well in green, too little to say in grey.
QString ColourOf(Finding finding) {
  switch (finding) {
    case Finding::kAllWell:
      return QStringLiteral("#2e7d32");
    case Finding::kTooFewSamples:
      return QStringLiteral("#616161");
    default:
      return QStringLiteral("#c62828");
  }
}

QString Html(const std::vector<Verdict>& verdicts) {
  QString html;
  for (std::size_t at = 0; at < verdicts.size(); ++at) {
    const Verdict& verdict = verdicts[at];
    const QString prefix = verdicts.size() > 1 ? QStringLiteral("%1. ").arg(at + 1) : QString();
    html += QStringLiteral("<p style=\"margin-top:8px\"><b><span style=\"color:%1\">%2%3</span></b></p>")
                .arg(ColourOf(verdict.finding), prefix, QString::fromStdString(verdict.headline).toHtmlEscaped());
    if (verdict.evidence.empty()) continue;
    html += QStringLiteral("<ul style=\"margin-top:0px\">");
    for (const std::string& line : verdict.evidence) {
      html += QStringLiteral("<li>") + QString::fromStdString(line).toHtmlEscaped() + QStringLiteral("</li>");
    }
    html += QStringLiteral("</ul>");
  }
  return html;
}

}  // namespace

DiagnosisWindow::DiagnosisWindow(std::function<NetworkState()> gather, QWidget* parent)
    : QWidget(parent, Qt::Window), gather_(std::move(gather)) {
  setObjectName(QString::fromLatin1(kDiagnosisWindowName));
  setWindowTitle(QStringLiteral("检测 - 网络问题在哪里"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel(
      QStringLiteral("根据三个表最近的测量结果（网关、外部主机、游戏服务器和DNS域名）判断问题最可能出在哪里："), this));
  text_ = new QTextBrowser(this);
  text_->setObjectName(QString::fromLatin1(kDiagnosisTextName));
  text_->setOpenLinks(false);
  layout->addWidget(text_, 1);
  auto* bottom = new QHBoxLayout;
  time_ = new QLabel(this);
  bottom->addWidget(time_, 1);
  rerun_ = new QPushButton(QStringLiteral("重新检测"), this);
  rerun_->setObjectName(QString::fromLatin1(kRerunDiagnosisButtonName));
  connect(rerun_, &QPushButton::clicked, this, &DiagnosisWindow::Run);
  bottom->addWidget(rerun_);
  layout->addLayout(bottom);
  resize(640, 320);
  Run();
}

void DiagnosisWindow::Run() {
  verdicts_ = Diagnose(gather_());
  text_->setHtml(Html(verdicts_));
  time_->setText(QStringLiteral("检测时间：%1").arg(QDateTime::currentDateTime().toString(QStringLiteral("HH:mm:ss"))));
}

}  // namespace qnc
