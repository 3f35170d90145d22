// Without an embedded browser (a build without Qt WebEngine, or a browser
// module that cannot be loaded) the page window hands its address to the
// desktop's web browser instead of showing a window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDesktopServices>
#include <QObject>
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

#include "qt/web/game_page_urls.h"
#include "qt/web/show_bubg_dlg.h"
#include "qt/web/web_page_window.h"

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

// The window as it is where the browser module is missing.
class WindowWithoutModule : public WebPageWindow {
 public:
  using WebPageWindow::WebPageWindow;

 protected:
  const web::WebViewModule* BrowserModule() const override { return nullptr; }
};

using WindowMaker = std::function<std::unique_ptr<WebPageWindow>(QWidget* parent)>;

void ExpectEachButtonHandsItsAddressToTheBrowser(const WindowMaker& make) {
  BrowserStandIn browser;
  QWidget mainWindow;
  mainWindow.show();
  const std::unique_ptr<WebPageWindow> dialog = make(&mainWindow);
  bool modalRunStarted = false;
  QTimer guard;  // a modal run would otherwise wait for a user
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, dialog.get(), [&] {
    modalRunStarted = true;
    dialog->reject();
  });

  for (const QString& address : {LolStatusPageAddress(), PubgPageAddress()}) {
    dialog->m_url = address;
    guard.start(10000);
    EXPECT_EQ(dialog->exec(), QDialog::Accepted);
    guard.stop();
  }

  EXPECT_FALSE(modalRunStarted);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->Browser(), nullptr);
  ASSERT_EQ(browser.opened.size(), 2);
  EXPECT_EQ(browser.opened[0], QUrl(LolStatusPageAddress()));
  EXPECT_EQ(browser.opened[1], QUrl(PubgPageAddress()));
}

TEST(ShowBubgDlgSystemBrowser, WithoutTheModuleEachButtonHandsItsAddressToTheBrowser) {
  ExpectEachButtonHandsItsAddressToTheBrowser(
      [](QWidget* parent) { return std::make_unique<WindowWithoutModule>(parent); });
}

// The window program's side: a page program that cannot be started (or, in
// a build without the engine, none at all) leaves the page to the browser.
TEST(ShowBubgDlgSystemBrowser, WithoutAPageProgramEachButtonHandsItsAddressToTheBrowser) {
  BrowserStandIn browser;
  QWidget mainWindow;
  mainWindow.show();
  CShowBubgDlg opener(&mainWindow);
  bool opened = false;
  QObject::connect(&opener, &CShowBubgDlg::opened, &opener, [&] { opened = true; });
  if (QNC_TEST_HAVE_WEBENGINE) opener.SetPageProgram(QStringLiteral("/nonexistent/quorix-web-page"));
  for (const QString& address : {LolStatusPageAddress(), PubgPageAddress()}) {
    opener.m_url = address;
    opener.exec();
  }
  EXPECT_FALSE(opened);
  EXPECT_EQ(browser.opened, (QList<QUrl>{QUrl(LolStatusPageAddress()), QUrl(PubgPageAddress())}));
}

#if !QNC_TEST_HAVE_WEBENGINE
TEST(ShowBubgDlgSystemBrowser, InABuildWithoutTheEngineEachButtonHandsItsAddressToTheBrowser) {
  ExpectEachButtonHandsItsAddressToTheBrowser([](QWidget* parent) { return std::make_unique<WebPageWindow>(parent); });
}
#endif

}  // namespace
}  // namespace qnc

#include "show_bubg_dlg_system_browser_test.moc"
