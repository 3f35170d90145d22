#include "web/show_bubg_dlg.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

#include "web/dialog_units.h"
#include "web/page_addresses.h"
#include "web/web_view_loader.h"
#include "web/web_view_module.h"

namespace qnc {
namespace {

// Template 138: 574 x 426 dialog units of an 8-point font; the browser at
// (0, 0), 573 x 425, covering the client area.
constexpr QSize kWindowUnits(574, 426);
constexpr QRect kBrowserUnits(0, 0, 573, 425);
constexpr int kFontPoints = 8;

}  // namespace

CShowBubgDlg::CShowBubgDlg(QWidget* parent, QString url)
    : QDialog(parent), m_url(url.isEmpty() ? PubgPageAddress() : std::move(url)) {
  setObjectName(QString::number(kTemplateId));
  // Caption bar with a close box; fixed frame.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setWindowTitle(QStringLiteral("PUBG"));
  QFont templateFont = font();
  templateFont.setPointSize(kFontPoints);
  setFont(templateFont);
  setFixedSize(web::DialogUnitsToPixels(font(), kWindowUnits));
}

CShowBubgDlg::~CShowBubgDlg() = default;

int CShowBubgDlg::exec() {
  if (BrowserModule() == nullptr) return QDesktopServices::openUrl(QUrl(m_url)) ? Accepted : Rejected;
  const int result = QDialog::exec();
  // Back from the modal run no browser signal is on the stack any more, so
  // the closed window's browser can go now rather than at some later turn of
  // the event loop.
  delete m_retired.data();
  return result;
}

void CShowBubgDlg::setVisible(bool visible) {
  const bool opening = visible && !isVisible();
  if (opening) OnInitDialog();
  QDialog::setVisible(visible);
  if (!visible) ReleaseBrowser();
}

bool CShowBubgDlg::OnInitDialog() {
  ReleaseBrowser();
  const web::WebViewModule* module = BrowserModule();
  if (module == nullptr) return true;
  m_browser = module->CreateView(this);
  m_browser->setObjectName(QString::number(kBrowserId));
  m_browser->setGeometry(web::DialogUnitsToPixels(font(), kBrowserUnits));
  module->Navigate(*m_browser, QUrl(m_url));
  return true;
}

const web::WebViewModule* CShowBubgDlg::BrowserModule() const { return web::ProgramWebViewModule(); }

void CShowBubgDlg::ReleaseBrowser() {
  if (m_browser == nullptr) return;
  // The close may come from inside one of the browser's own signals, so it is
  // deleted later; hidden and unnamed now so that it no longer counts as this
  // window's control 1010.
  QWidget* old = std::exchange(m_browser, nullptr);
  old->hide();
  old->setObjectName(QString());
  old->deleteLater();
  m_retired = old;
}

}  // namespace qnc
