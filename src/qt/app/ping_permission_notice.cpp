#include "qt/app/ping_permission_notice.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QTimer>

#include "platform/icmp_socket.h"
#include "qt/app/probe_table_model.h"
#include "views/commands/ping_permission_text.h"
#include "views/templates/control_ids.h"

namespace qnc {

void NoticeIfPingsCannotBeSent(QWidget& owner, ProbeTableModel& pingModel, const IcmpCheck& check) {
  const std::optional<std::string> reason = check ? check() : IcmpUnavailableReason();
  if (!reason) return;
  const std::string program = QCoreApplication::applicationFilePath().toStdString();
  const QString text = QString::fromStdString(PingPermissionText(program, PlacementOf(program, QNC_BUILD_TREE)));
  const QString detail = QString::fromStdString(*reason);
  pingModel.SetRowToolTip(text);
  // Queued, so that the box comes up over the window rather than before it.
  QTimer::singleShot(0, &owner, [&owner, text, detail] {
    auto* box =
        new QMessageBox(QMessageBox::Warning, QString::fromUtf8(kMainWindowTitle), text, QMessageBox::Ok, &owner);
    box->setDetailedText(detail);
    box->setObjectName(QString::fromLatin1(kPingNoticeName));
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
  });
}

}  // namespace qnc
