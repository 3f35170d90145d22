#include "app/ping_permission_notice.h"

#include <QCoreApplication>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>

#include "app/probe_table_model.h"
#include "platform/icmp_socket.h"
#include "ui/control_ids.h"

namespace qnc {

namespace {

// The path as a shell word, so the command can be pasted as it stands.
QString ShellWord(const QString& path) {
  static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./+-]+$"));
  if (plain.match(path).hasMatch()) return path;
  QString quoted = path;
  quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
  return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

}  // namespace

QString PingPermissionText(const std::string& reason, const QString& programPath) {
  return QStringLiteral(
             "无法发送 ping：本程序没有打开 ICMP 套接字的权限，ping 表的每一行都只会显示“超时”。\n\n"
             "原因：%1\n\n"
             "解决办法：给本程序 cap_net_raw 权限\n"
             "    sudo setcap cap_net_raw+ep %2\n"
             "或者使用安装好的版本（scripts/run 安装时会给它这个权限）。")
      .arg(QString::fromStdString(reason), ShellWord(programPath));
}

void NoticeIfPingsCannotBeSent(QWidget& owner, ProbeTableModel& pingModel, const IcmpCheck& check) {
  const std::optional<std::string> reason = check ? check() : IcmpUnavailableReason();
  if (!reason) return;
  const QString text = PingPermissionText(*reason, QCoreApplication::applicationFilePath());
  pingModel.SetRowToolTip(text);
  // Queued, so that the box comes up over the window rather than before it.
  QTimer::singleShot(0, &owner, [&owner, text] {
    auto* box =
        new QMessageBox(QMessageBox::Warning, QString::fromUtf8(kMainWindowTitle), text, QMessageBox::Ok, &owner);
    box->setObjectName(QString::fromLatin1(kPingNoticeName));
    box->setWindowModality(Qt::NonModal);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
  });
}

}  // namespace qnc
