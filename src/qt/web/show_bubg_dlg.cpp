#include "qt/web/show_bubg_dlg.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QEventLoop>
#include <QGuiApplication>
#include <QProcess>
#include <QUrl>
#include <QWidget>
#include <utility>

#include "qt/web/game_page_urls.h"
#include "qt/web/web_view_loader.h"

namespace qnc {
namespace {

constexpr int kStartWaitMs = 5000;
constexpr int kEndWaitMs = 3000;

// Holds back the user's input to every window of this program while it
// lives, as a modal window does for the windows it blocks. Painting, timers
// and the workers' queued updates go on.
class InputHold final : public QObject {
 public:
  InputHold() { QCoreApplication::instance()->installEventFilter(this); }
  ~InputHold() override { QCoreApplication::instance()->removeEventFilter(this); }
  InputHold(const InputHold&) = delete;
  InputHold& operator=(const InputHold&) = delete;

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    switch (event->type()) {
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::Wheel:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::ShortcutOverride:
      case QEvent::Shortcut:
      case QEvent::ContextMenu:
      case QEvent::TouchBegin:
      case QEvent::TouchUpdate:
      case QEvent::TouchEnd:
        return receiver->isWidgetType() || receiver->isWindowType();
      case QEvent::Close:
        // The close box of a blocked window does nothing, as under a modal
        // window; closes the program makes itself are not spontaneous.
        return event->spontaneous();
      default:
        return false;
    }
  }
};

}  // namespace

CShowBubgDlg::CShowBubgDlg(QWidget* owner, QString url)
    : m_url(url.isEmpty() ? PubgPageAddress() : std::move(url)), owner_(owner) {}

CShowBubgDlg::~CShowBubgDlg() { Close(); }

QString CShowBubgDlg::PageProgram() const {
  if (!pageProgram_.isEmpty()) return pageProgram_;
  return QString::fromStdString(web::ProgramPageProgram());
}

int CShowBubgDlg::exec() {
  const QString program = PageProgram();
  QProcess process;
  process.setProgram(program);
  QStringList arguments{m_url};
  // On X11 the page window is made transient for the main window, so the
  // window manager keeps it above and centred on it.
  if (owner_ != nullptr && QGuiApplication::platformName() == QStringLiteral("xcb")) {
    arguments << QString::fromLatin1(kPageOwnerOption) << QString::number(owner_->window()->winId());
  }
  process.setArguments(arguments);
  process.setProcessChannelMode(QProcess::ForwardedChannels);
  if (!program.isEmpty()) process.start();
  if (program.isEmpty() || !process.waitForStarted(kStartWaitMs)) {
    if (!program.isEmpty()) qWarning("the page window cannot be started (%s)", qPrintable(process.errorString()));
    return QDesktopServices::openUrl(QUrl(m_url)) ? Accepted : Rejected;
  }
  process_ = &process;
  {
    const InputHold hold;
    QEventLoop loop;
    connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    emit opened();
    // The page window may have closed already while opened() was handled.
    if (process.state() != QProcess::NotRunning) loop.exec();
  }
  process_ = nullptr;
  // The loop also ends when the whole program quits; the page window goes
  // with it then.
  if (process.state() != QProcess::NotRunning) {
    process.terminate();
    if (!process.waitForFinished(kEndWaitMs)) process.kill();
    process.waitForFinished(kEndWaitMs);
  }
  return Accepted;
}

void CShowBubgDlg::Close() {
  if (process_ != nullptr) process_->terminate();
}

}  // namespace qnc
