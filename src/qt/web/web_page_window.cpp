#include "qt/web/web_page_window.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "qt/web/game_page_urls.h"
#include "qt/web/web_view_loader.h"
#include "qt/web/web_view_module.h"
#include "qt/widgets/control_name.h"
#include "views/templates/control_ids.h"
#include "views/templates/window_templates.h"

namespace qnc {

WebPageWindow::WebPageWindow(QWidget* parent, QString url)
    : TemplateDialog(WebPageDialogTemplate(), parent), m_url(url.isEmpty() ? PubgPageAddress() : std::move(url)) {}

WebPageWindow::~WebPageWindow() = default;

int WebPageWindow::exec() {
  if (BrowserModule() == nullptr) return QDesktopServices::openUrl(QUrl(m_url)) ? Accepted : Rejected;
  const int result = TemplateDialog::exec();
  // Back from the modal run no browser signal is on the stack any more, so
  // the closed window's browser can go now rather than at some later turn of
  // the event loop.
  delete retired_.data();
#if defined(__GLIBC__)
  // The engine frees most of what a page took in its window's last moments,
  // in many small blocks that the C library keeps for reuse; handing the
  // free pages back keeps the program's memory from creeping up by several
  // megabytes with each opening.
  malloc_trim(0);
#endif
  return result;
}

void WebPageWindow::setVisible(bool visible) {
  const bool opening = visible && !isVisible();
  if (opening) OnInitDialog();
  TemplateDialog::setVisible(visible);
  if (!visible) ReleaseBrowser();
}

bool WebPageWindow::OnInitDialog() {
  ReleaseBrowser();
  const web::WebViewModule* module = BrowserModule();
  if (module == nullptr) return true;
  m_browser = module->CreateView(ClientArea());
  m_browser->setObjectName(ControlName(id::kWebBrowser));
  m_browser->setGeometry(ControlRect(id::kWebBrowser));
  module->Navigate(*m_browser, QUrl(m_url));
  return true;
}

const web::WebViewModule* WebPageWindow::BrowserModule() const { return web::ProgramWebViewModule(); }

void WebPageWindow::ReleaseBrowser() {
  if (m_browser == nullptr) return;
  // The close may come from inside one of the browser's own signals, so it is
  // deleted later; hidden and unnamed now so that it no longer counts as this
  // window's control 1010.
  QWidget* old = std::exchange(m_browser, nullptr);
  old->hide();
  old->setObjectName(QString());
  old->deleteLater();
  retired_ = old;
}

}  // namespace qnc
