#include "qt/web/show_bubg_dlg.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QOpenGLContext>
#include <QPointer>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <functional>

#include "child_processes.h"
#include "loaded_libraries.h"
#include "page_server.h"
#include "platform/process_identity.h"
#include "qt/web/game_page_urls.h"
#include "qt/web/web_page_window.h"

namespace qnc {
namespace {

constexpr int kPageWaitMs = 30000;        // bound on one page load
constexpr int kProcessEndWaitMs = 10000;  // bound on the engine ending a closed page's processes

const QString kLolPath = QStringLiteral("/act/a20150326dqpd/index.htm");
const QString kPubgPath = QStringLiteral("/cloud_quorix/PUBG.html");

// Stands in for the main window: a window with a text box to type into.
struct MainWindow {
  MainWindow() : input(new QLineEdit(&window)) {
    (new QVBoxLayout(&window))->addWidget(input);
    window.show();
    input->setFocus();
  }
  QWidget window;
  QLineEdit* input;
};

// The browser is a QWebEngineView made inside the module; this program does
// not link Qt WebEngine, so it watches the view through Qt's meta-objects.
class LoadWatcher : public QObject {
  Q_OBJECT

 public:
  LoadWatcher(QWidget* view, std::function<void(bool)> finished) : QObject(view), finished_(std::move(finished)) {
    connect(view, SIGNAL(loadFinished(bool)), this, SLOT(Finished(bool)));
  }

 private slots:
  void Finished(bool ok) { finished_(ok); }

 private:
  std::function<void(bool)> finished_;
};

// Collects the warnings Qt and the engine print while it lives.
class WarningsSeen {
 public:
  WarningsSeen() { previous_ = qInstallMessageHandler(&WarningsSeen::Keep); }
  ~WarningsSeen() {
    qInstallMessageHandler(previous_);
    Seen().clear();
  }
  bool Any(const QString& part) const { return All().contains(part); }
  QString All() const { return Seen().join(QLatin1Char('\n')); }

 private:
  static QStringList& Seen() {
    static QStringList seen;
    return seen;
  }
  static void Keep(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg) Seen().append(message);
  }
  QtMessageHandler previous_ = nullptr;
};

// The engine's helper processes that run pages: all but its zygotes, the
// engine-wide processes that a sandboxed engine keeps from its first page on
// and forks the renderers from.
int PageProcesses() {
  int count = 0;
  for (const test::ChildProcess& child : test::ChildProcesses()) {
    if (child.type != "zygote" || child.parent != getpid()) ++count;
  }
  return count;
}

// Types a key the way the window system delivers it, so that modality applies.
void TypeIntoWindow(MainWindow& main, char key) {
  QTest::keyClick(main.window.windowHandle(), key);
  QCoreApplication::processEvents();
}

// What one opening of the dialog showed, seen from inside its modal run.
struct Opening {
  bool browserFound = false;
  bool modal = false;
  bool loaded = false;
  bool timedOut = false;
  QString caption;
  QUrl url;
  QString title;
  QRect browserGeometry;
  QSize windowSize;
  bool fixedSize = false;
  QString typedWhileOpen;
  bool drawn = false;  // the page's colour seen on screen
  // The browser's own page and profile objects, followed past the close.
  bool pageAndProfileFound = false;
  QPointer<QObject> page;
  QPointer<QObject> profile;
  int pageProcessesLoaded = 0;  // helper processes running pages once the page had loaded
};

// Opens the dialog the way a button does (m_url first, then the modal run),
// waits for the page to finish loading (and, given a colour, to show it in the
// middle of the browser), records what it showed and closes it.
Opening OpenPage(WebPageWindow& dialog, MainWindow& main, const QUrl& url, QColor drawnColour = {}) {
  Opening seen;
  dialog.m_url = url.toString();
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, &dialog, [&] {
    seen.timedOut = true;
    dialog.reject();
  });
  QTimer::singleShot(0, &dialog, [&] {
    QWidget* view = dialog.findChild<QWidget*>(QStringLiteral("1010"));
    seen.browserFound = view != nullptr && view == dialog.Browser() && view->inherits("QWebEngineView");
    seen.modal = QApplication::activeModalWidget() == &dialog;
    seen.caption = dialog.windowTitle();
    seen.windowSize = dialog.size();
    seen.fixedSize = dialog.minimumSize() == dialog.maximumSize();
    // Input meant for the main window is held back while the dialog is open.
    TypeIntoWindow(main, 'x');
    seen.typedWhileOpen = main.input->text();
    if (view == nullptr) {
      dialog.reject();
      return;
    }
    seen.browserGeometry = view->geometry();
    for (QObject* object : view->findChildren<QObject*>()) {
      if (object->inherits("QWebEnginePage")) seen.page = object;
      if (object->inherits("QWebEngineProfile")) seen.profile = object;
    }
    seen.pageAndProfileFound = seen.page != nullptr && seen.profile != nullptr;
    new LoadWatcher(view, [&, view](bool ok) {
      seen.loaded = ok;
      seen.pageProcessesLoaded = PageProcesses();
      seen.url = view->property("url").toUrl();
      seen.title = view->property("title").toString();
      if (!drawnColour.isValid()) {
        dialog.reject();  // the user closes the window
        return;
      }
      auto* look = new QTimer(view);
      QObject::connect(look, &QTimer::timeout, &dialog, [&, view] {
        const QImage shown = view->grab().toImage();
        if (shown.pixelColor(shown.rect().center()) != drawnColour) return;
        seen.drawn = true;
        dialog.reject();
      });
      look->start(50);
    });
  });
  guard.start(kPageWaitMs);
  dialog.exec();
  return seen;
}

class ShowBubgDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start());
    server.AddPage(kLolPath, QStringLiteral("LOL status"));
    server.AddPage(kPubgPath, QStringLiteral("PUBG page"));
  }
  test::PageServer server;
  MainWindow main;
};

// The engine is loaded by the first opening, not by the program's start or by
// the window's construction. (First in this file, so that it runs before any
// other opening even when all the cases share one process, as they do outside
// CTest.)
TEST_F(ShowBubgDlgTest, TheEngineIsLoadedByTheFirstOpeningOnly) {
  const QString engine = QStringLiteral("libQt6WebEngineCore.so");
  if (test::IsMapped(engine)) GTEST_SKIP() << "an earlier test in this process opened a page";
  WebPageWindow dialog(&main.window);
  EXPECT_FALSE(test::IsMapped(engine));
  EXPECT_FALSE(test::IsMapped(QStringLiteral("libqnc_web_view.so")));

  // The OpenGL context that the engine draws through is Qt's own, made with
  // the application object, and the engine, loaded late, takes it as it is.
  EXPECT_TRUE(QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts));
  QOpenGLContext* const shared = QOpenGLContext::globalShareContext();
  EXPECT_NE(shared, nullptr);
  const WarningsSeen warnings;

  const Opening seen = OpenPage(dialog, main, server.UrlOf(kPubgPath));
  EXPECT_TRUE(seen.loaded);
  EXPECT_TRUE(test::IsMapped(engine));
  EXPECT_EQ(QOpenGLContext::globalShareContext(), shared);
  EXPECT_FALSE(warnings.Any(QStringLiteral("AA_ShareOpenGLContexts"))) << warnings.All().toStdString();
}

// The window program's side: each opening starts the page program on its
// page, which loads it, while this process takes no input and never loads
// the engine itself.
TEST_F(ShowBubgDlgTest, EachOpeningShowsItsPageInThePageProgramAndThisProcessLoadsNoEngine) {
  const QString engine = QStringLiteral("libQt6WebEngineCore.so");
  if (test::IsMapped(engine)) GTEST_SKIP() << "an earlier test in this process opened a page";
  CShowBubgDlg opener(&main.window);
  QString wanted;
  QStringList loadedWhileOpen;
  QStringList typedWhileOpen;
  QObject::connect(&opener, &CShowBubgDlg::opened, &opener, [&] {
    if (QTest::qWaitFor([&] { return server.RequestedPaths().contains(wanted); }, kPageWaitMs)) {
      loadedWhileOpen.append(wanted);
    }
    TypeIntoWindow(main, 'x');
    typedWhileOpen.append(main.input->text());
    opener.Close();
  });
  for (const QString& path : {kLolPath, kPubgPath}) {
    wanted = path;
    opener.m_url = server.UrlOf(path).toString();
    EXPECT_EQ(opener.exec(), CShowBubgDlg::Accepted);
    EXPECT_FALSE(opener.IsShowing());
  }
  EXPECT_EQ(loadedWhileOpen, (QStringList{kLolPath, kPubgPath}));
  EXPECT_EQ(typedWhileOpen, (QStringList{QString(), QString()}));
  EXPECT_FALSE(test::IsMapped(engine));
  EXPECT_FALSE(test::IsMapped(QStringLiteral("libqnc_web_view.so")));
  TypeIntoWindow(main, 'o');
  EXPECT_EQ(main.input->text(), "o");
}

TEST_F(ShowBubgDlgTest, LolThenPubgShowsEachButtonsPageUnderCaptionPubg) {
  WebPageWindow dialog(&main.window);
  EXPECT_EQ(dialog.m_url, PubgPageAddress());  // the constructor's page

  const Opening lol = OpenPage(dialog, main, server.UrlOf(kLolPath));
  const Opening pubg = OpenPage(dialog, main, server.UrlOf(kPubgPath));

  for (const Opening* seen : {&lol, &pubg}) {
    EXPECT_FALSE(seen->timedOut);
    EXPECT_TRUE(seen->browserFound);
    EXPECT_TRUE(seen->modal);
    EXPECT_TRUE(seen->loaded);
    EXPECT_EQ(seen->caption, "PUBG");
  }
  EXPECT_EQ(lol.url, server.UrlOf(kLolPath));
  EXPECT_EQ(lol.title, "LOL status");
  EXPECT_EQ(pubg.url, server.UrlOf(kPubgPath));
  EXPECT_EQ(pubg.title, "PUBG page");
  EXPECT_TRUE(server.RequestedPaths().contains(kLolPath));
  EXPECT_TRUE(server.RequestedPaths().contains(kPubgPath));
  EXPECT_LT(server.RequestedPaths().indexOf(kLolPath), server.RequestedPaths().indexOf(kPubgPath));
  EXPECT_EQ(dialog.m_url, server.UrlOf(kPubgPath).toString());  // kept for the next opening
}

TEST_F(ShowBubgDlgTest, MainWindowTakesInputAgainAfterTheClose) {
  WebPageWindow dialog(&main.window);
  const Opening seen = OpenPage(dialog, main, server.UrlOf(kPubgPath));
  ASSERT_TRUE(seen.modal);
  EXPECT_EQ(seen.typedWhileOpen, "");

  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(dialog.Browser(), nullptr);  // the browser goes with the window
  TypeIntoWindow(main, 'o');
  TypeIntoWindow(main, 'k');
  EXPECT_EQ(main.input->text(), "ok");
}

TEST_F(ShowBubgDlgTest, BrowserFillsAFixedSizeWindow) {
  WebPageWindow dialog(&main.window);
  const Opening seen = OpenPage(dialog, main, server.UrlOf(kPubgPath));
  ASSERT_TRUE(seen.browserFound);
  EXPECT_TRUE(seen.fixedSize);
  EXPECT_EQ(seen.browserGeometry.topLeft(), QPoint(0, 0));
  // 573 x 425 of the window's 574 x 426 units: at most one unit short on each side.
  const QSize gap = seen.windowSize - seen.browserGeometry.size();
  EXPECT_GE(gap.width(), 0);
  EXPECT_GE(gap.height(), 0);
  EXPECT_LE(gap.width(), seen.windowSize.width() / 574 + 1);
  EXPECT_LE(gap.height(), seen.windowSize.height() / 426 + 1);
  // Proportions of the template, whatever the font.
  EXPECT_GT(seen.windowSize.width(), seen.windowSize.height());
}

// A closed window keeps nothing of its page: the page and its profile are
// deleted with the browser, and the engine ends the renderer that ran the
// page. Without the sandbox (a super-user's program) the engine has no zygote
// either, so no helper process is left at all.
TEST_F(ShowBubgDlgTest, ClosingTheWindowReleasesThePageItsProfileAndItsRenderer) {
  WebPageWindow dialog(&main.window);
  const Opening seen = OpenPage(dialog, main, server.UrlOf(kPubgPath));
  ASSERT_TRUE(seen.loaded);
  EXPECT_GE(seen.pageProcessesLoaded, 1);
  ASSERT_TRUE(seen.pageAndProfileFound);
  EXPECT_TRUE(seen.page.isNull());
  EXPECT_TRUE(seen.profile.isNull());

  const bool ended = QTest::qWaitFor([] { return PageProcesses() == 0; }, kProcessEndWaitMs);
  EXPECT_TRUE(ended) << PageProcesses() << " page process(es) still running";
  if (RunningAsRoot()) {
    EXPECT_TRUE(test::ChildProcesses().empty());
  }
}

TEST_F(ShowBubgDlgTest, ThePageIsDrawnInTheWindow) {
  const QString path = QStringLiteral("/green.html");
  server.AddFilledPage(path, QStringLiteral("green"), QStringLiteral("#00c000"));
  WebPageWindow dialog(&main.window);
  const Opening seen = OpenPage(dialog, main, server.UrlOf(path), QColor(0, 0xc0, 0));
  EXPECT_TRUE(seen.loaded);
  EXPECT_TRUE(seen.drawn);
  EXPECT_FALSE(seen.timedOut);
}

}  // namespace
}  // namespace qnc

#include "show_bubg_dlg_test.moc"
