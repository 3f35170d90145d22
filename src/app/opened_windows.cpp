// The windows that the main window opens modally: the About box, the web
// pages and the LAN test. The workers go on measuring behind each of them.
#include "app/about_dlg.h"
#include "app/main_window.h"
#include "lan_dialog/lan_presets.h"
#include "web/page_addresses.h"

namespace qnc {

void CQUORIX_NET_CHECKDlg::OnAbout() {
  CAboutDlg box(this);
  box.exec();
}

void CQUORIX_NET_CHECKDlg::OpenWebPage(const QString& address) {
  // The same window each time, with the address of the button pressed.
  m_showBubgDlg.m_url = address;
  options_.modals.runWebPage(m_showBubgDlg);
}

void CQUORIX_NET_CHECKDlg::OnPubgPage() { OpenWebPage(PubgPageAddress()); }

void CQUORIX_NET_CHECKDlg::OnLolStatusPage() { OpenWebPage(LolStatusPageAddress()); }

void CQUORIX_NET_CHECKDlg::OpenLanTest(std::string_view preset) {
  // A new window for each opening, gone (with every test thread) once it closes.
  const auto window = std::make_unique<CLanSpeedDlg>(this, options_.lanTest);
  window->m_preset = std::string(preset);
  options_.modals.runLanTest(*window);
}

void CQUORIX_NET_CHECKDlg::OnLanServer() { OpenLanTest(kLanServerPreset); }

void CQUORIX_NET_CHECKDlg::OnLanClient() { OpenLanTest(kLanClientPreset); }

}  // namespace qnc
