#pragma once
#include <QPointer>
#include <QString>

#include "qt/widgets/template_dialog.h"

namespace qnc {

namespace web {
class WebViewModule;
}

// The game web-page window (template 138): a fixed-size modal dialog
// captioned "PUBG" whose whole client area is an embedded browser that loads
// `m_url` each time the window opens. It runs in a process of its own, the
// page program (web/page_program_main.cpp), which the main window starts for
// each opening (qt/web/show_bubg_dlg.h), so that the window program never loads
// Qt WebEngine or the OpenGL stack it draws through. The browser exists only
// while the window is shown, so a new opening never shows the previous page,
// and a closed window holds no renderer.
//
// The browser comes from a module loaded on the first opening (see
// qt/web/web_view_module.h). Where the module cannot be loaded, or in a build
// without it, exec() hands `m_url` to the desktop's web browser instead and
// returns at once.
class WebPageWindow : public TemplateDialog {
  Q_OBJECT

 public:
  // `url` empty: the PUBG page.
  explicit WebPageWindow(QWidget* parent = nullptr, QString url = {});
  ~WebPageWindow() override;

  // Shows the window modally on `m_url`; returns when the user closes it.
  int exec() override;
  void setVisible(bool visible) override;

  // The browser while the window is shown (object name "1010"); null otherwise.
  QWidget* Browser() const { return m_browser; }

  QString m_url;

 protected:
  // Runs as the window opens: creates the browser over the client area and
  // starts loading `m_url`, without waiting for the page. True: the focus is
  // left to the window system.
  virtual bool OnInitDialog();

  // The browser module the pages show in: the program's own, loaded on the
  // first call. Null: there is none, and the desktop's browser shows them.
  virtual const web::WebViewModule* BrowserModule() const;

 private:
  void ReleaseBrowser();

  QWidget* m_browser = nullptr;  // NOLINT(readability-identifier-naming): the framework-named browser control
  QPointer<QWidget> retired_;    // closed with the window, awaiting deletion
};

}  // namespace qnc
