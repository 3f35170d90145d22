// The page program: shows one game web page in the web-page window and ends
// when the window closes. The window program starts it for each opening (see
// qt/web/show_bubg_dlg.h), so that Qt WebEngine, and the shared OpenGL context
// it needs from the application's start, live only in this process.
// Usage: quorix-web-page URL [--over WINDOW-ID]
#include <QApplication>
#include <QStringList>
#include <QWindow>

#include "qt/web/show_bubg_dlg.h"
#include "qt/web/web_engine_setup.h"
#include "qt/web/web_page_window.h"

int main(int argc, char** argv) {
  qnc::PrepareWebEngineBeforeApplication();
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("quorix-net-check"));
  const QStringList arguments = QApplication::arguments().mid(1);
  if (arguments.isEmpty()) {
    qWarning("usage: quorix-web-page URL [%s WINDOW-ID]", qnc::kPageOwnerOption);
    return 2;
  }
  qnc::WebPageWindow window(nullptr, arguments.front());
  const qsizetype over = arguments.indexOf(QString::fromLatin1(qnc::kPageOwnerOption));
  if (over > 0 && over + 1 < arguments.size()) {
    bool ok = false;
    const WId owner = arguments[over + 1].toULongLong(&ok);
    window.winId();  // makes the window's native handle, to set its owner on
    if (ok && owner != 0 && window.windowHandle() != nullptr) {
      if (QWindow* foreign = QWindow::fromWinId(owner)) window.windowHandle()->setTransientParent(foreign);
    }
  }
  window.exec();
  return 0;
}
