// The windows that the main window's buttons open modally: the About box and
// the web pages. The workers go on measuring behind each of them.
#include "qt/app/about_dlg.h"
#include "qt/app/main_window.h"
#include "qt/web/game_page_urls.h"

namespace qnc {

void CQUORIX_NET_CHECKDlg::OnAbout() {
  CAboutDlg box(this);
  box.exec();
}

void CQUORIX_NET_CHECKDlg::OpenWebPage(const QString& address) {
  // The same window each time, with the address of the button pressed.
  showBubgDlg_.m_url = address;
  showBubgDlg_.exec();
}

void CQUORIX_NET_CHECKDlg::OnPubgPage() { OpenWebPage(PubgPageAddress()); }

void CQUORIX_NET_CHECKDlg::OnLolStatusPage() { OpenWebPage(LolStatusPageAddress()); }

}  // namespace qnc
