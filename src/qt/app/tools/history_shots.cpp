// Pictures of the history windows for the README: starts the program's main
// window as the program does, lets it measure for a while, opens the details
// window of a row and the diagnosis window through the calls a double click
// and "【检测】" make, and writes each window as a PNG. Run it only where its
// default hosts are local stand-ins (scripts/screenshot --history).
// Usage: qnc_history_shots OUTPUT-FOLDER SETTLE-SECONDS
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTimer>
#include <cstdio>
#include <string>

#include "qt/app/application.h"
#include "qt/app/main_window.h"
#include "qt/app/qt_translations.h"

namespace {

bool Save(QWidget& window, const QString& path) {
  window.raise();
  QCoreApplication::processEvents();
  const bool saved = window.grab().save(path);
  std::printf("%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  return saved;
}

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: qnc_history_shots OUTPUT-FOLDER SETTLE-SECONDS\n");
    return 2;
  }
  QApplication::setApplicationName(QStringLiteral("quorix-net-check"));
  QApplication::setQuitOnLastWindowClosed(false);
  qnc::InstallChineseQtTranslations();
  const QDir folder(QString::fromLocal8Bit(argv[1]));
  const int settleMs = std::stoi(argv[2]) * 1000;

  qnc::CQUORIX_NET_CHECKApp quorix{qnc::StartupOptions{}};
  quorix.InitInstance();
  qnc::CQUORIX_NET_CHECKDlg& window = *quorix.MainWindow();
  int status = 0;
  QTimer::singleShot(settleMs, [&] {
    // The second game server, which the stand-ins leave refusing.
    qnc::RowDetailsWindow* details = window.History().OpenRowDetails(qnc::TableKind::kGame, 1);
    details->move(window.frameGeometry().topLeft() + QPoint(40, 40));
    qnc::DiagnosisWindow* diagnosis = window.History().OpenDiagnosis();
    QTimer::singleShot(1500, [&, details, diagnosis] {
      const bool saved = Save(*details, folder.filePath(QStringLiteral("screenshot-row-details.png"))) &&
                         Save(*diagnosis, folder.filePath(QStringLiteral("screenshot-diagnosis.png")));
      status = saved ? 0 : 1;
      QApplication::quit();
    });
  });
  QApplication::exec();
  return status;
}
