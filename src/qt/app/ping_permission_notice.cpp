#include "qt/app/ping_permission_notice.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>

#include "platform/icmp_socket.h"
#include "qt/app/probe_table_model.h"
#include "views/templates/control_ids.h"

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

ProgramPlacement PlacementOf(const QString& programPath, const QString& buildTree) {
  const QString tree = QDir::cleanPath(buildTree.isEmpty() ? QStringLiteral(QNC_BUILD_TREE) : buildTree);
  const QString program = QDir::cleanPath(QFileInfo(programPath).absoluteFilePath());
  return program.startsWith(tree + QLatin1Char('/')) ? ProgramPlacement::kBuildTree : ProgramPlacement::kInstalled;
}

QString PingPermissionText(const QString& programPath, ProgramPlacement placement) {
  QString text = QStringLiteral(
      "无法发送 ping：ping 表的每一行都只会显示“超时”。\n\n"
      "原因：本程序既没有以 root 身份运行，也没有 cap_net_raw 权限，所以不能打开原始 ICMP 套接字；"
      "系统也不允许当前用户使用 ICMP 数据报套接字（net.ipv4.ping_group_range）。\n\n");
  if (placement == ProgramPlacement::kBuildTree) {
    text += QStringLiteral(
                "解决办法：这是构建目录中的程序。在源码目录中以 root 身份运行\n"
                "    bash scripts/run\n"
                "它会构建并安装一个带 cap_net_raw 权限的版本（build/install/bin/quorix-net-check）并启动它；"
                "或者直接给这个程序该权限（重新构建后需要再做一次）：\n"
                "    sudo setcap cap_net_raw+ep %1\n\n")
                .arg(ShellWord(programPath));
  } else {
    text += QStringLiteral(
                "解决办法：给本程序 cap_net_raw 权限\n"
                "    sudo setcap cap_net_raw+ep %1\n\n")
                .arg(ShellWord(programPath));
  }
  text += QStringLiteral(
      "权限只在程序启动时生效：设置之后请完全退出本程序（右键单击托盘图标，选择“关闭Quorix测试工具”），再重新启动。");
  return text;
}

void NoticeIfPingsCannotBeSent(QWidget& owner, ProbeTableModel& pingModel, const IcmpCheck& check) {
  const std::optional<std::string> reason = check ? check() : IcmpUnavailableReason();
  if (!reason) return;
  const QString program = QCoreApplication::applicationFilePath();
  const QString text = PingPermissionText(program, PlacementOf(program));
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
