#pragma once
#include <QObject>
#include <QPointer>
#include <QProcess>
#include <QString>

class QWidget;

namespace qnc {

// The main window's game web-page window. The window itself (template 138,
// captioned "PUBG", its whole client area a browser; qt/web/web_page_window.h)
// runs in a process of its own, the page program, started for each opening
// and ended with it: Qt WebEngine and the shared OpenGL context it needs are
// never loaded into the window program, and everything a page took is given
// back when its window closes. exec() is modal as a dialog's is: the window
// program's own windows take no input until the page window has closed,
// while the event loop (and with it the tables' updates) goes on.
//
// Without a page program (a build without Qt WebEngine, or one that cannot
// be started) exec() hands `m_url` to the desktop's web browser instead and
// returns at once.
class CShowBubgDlg : public QObject {
  Q_OBJECT

 public:
  enum Result { Rejected = 0, Accepted = 1 };  // NOLINT(readability-identifier-naming): QDialog's codes

  // `url` empty: the PUBG page. `owner`: the window the page window stays
  // above.
  explicit CShowBubgDlg(QWidget* owner = nullptr, QString url = {});
  ~CShowBubgDlg() override;

  // Shows the page window on `m_url`; returns when it closes.
  int exec();  // NOLINT(readability-identifier-naming): called as QDialog::exec is
  // Ends a page window that is showing (as when the program ends).
  void Close();
  bool IsShowing() const { return process_ != nullptr; }

  // The page program to start; empty (the default) for this program's own.
  void SetPageProgram(QString path) { pageProgram_ = std::move(path); }

  QString m_url;

 signals:
  // The page program has started, showing `m_url`.
  void opened();  // NOLINT(readability-identifier-naming): a Qt signal, named as Qt's are

 private:
  QString PageProgram() const;

  QWidget* owner_;
  QString pageProgram_;
  QPointer<QProcess> process_;
};

// The page program's command-line option that names the window (a native
// window id) the page window stays above.
inline constexpr const char* kPageOwnerOption = "--over";

}  // namespace qnc
