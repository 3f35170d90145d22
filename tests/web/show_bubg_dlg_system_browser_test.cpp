// Built without Qt WebEngine, the page window hands its address to the
// desktop's web browser instead of showing an embedded one.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "web/page_addresses.h"
#include "web/show_bubg_dlg.h"

namespace qnc {
namespace {

// Takes the place of the desktop's browser for http addresses.
class BrowserStandIn : public QObject {
  Q_OBJECT

 public:
  BrowserStandIn() { QDesktopServices::setUrlHandler(QStringLiteral("http"), this, "Open"); }
  ~BrowserStandIn() override { QDesktopServices::unsetUrlHandler(QStringLiteral("http")); }
  QList<QUrl> opened;

 public slots:
  void Open(const QUrl& url) { opened.append(url); }
};

TEST(ShowBubgDlgSystemBrowser, EachButtonHandsItsAddressToTheBrowserWithoutAModalWindow) {
  BrowserStandIn browser;
  QWidget mainWindow;
  mainWindow.show();
  CShowBubgDlg dialog(&mainWindow);
  bool modalRunStarted = false;
  QTimer guard;  // a modal run would otherwise wait for a user
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &dialog, [&] {
    modalRunStarted = true;
    dialog.reject();
  });

  for (const QString& address : {LolStatusPageAddress(), PubgPageAddress()}) {
    dialog.m_url = address;
    guard.start(10000);
    dialog.exec();
    guard.stop();
  }

  EXPECT_FALSE(modalRunStarted);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.Browser(), nullptr);
  ASSERT_EQ(browser.opened.size(), 2);
  EXPECT_EQ(browser.opened[0], QUrl(LolStatusPageAddress()));
  EXPECT_EQ(browser.opened[1], QUrl(PubgPageAddress()));
}

}  // namespace
}  // namespace qnc

#include "show_bubg_dlg_system_browser_test.moc"
