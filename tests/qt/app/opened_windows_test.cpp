// The windows the main window opens (the About box, the web pages, the LAN
// test) and the GPU labels.
#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <sstream>

#include "app_test_support.h"
#include "qt/app/about_dlg.h"
#include "qt/app/main_window.h"
#include "qt/web/game_page_urls.h"
#include "views/templates/control_ids.h"
#include "views/templates/window_templates.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;
using test::Find;

class OpenedWindows : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }

  void Open(MainWindowOptions options) {
    window_ = std::make_unique<CQUORIX_NET_CHECKDlg>(std::move(options));
    window_->show();
  }

  void Click(int id) { QTest::mouseClick(Find<QPushButton>(*window_, id), Qt::LeftButton); }

  QTemporaryDir folder_;
  std::unique_ptr<CQUORIX_NET_CHECKDlg> window_;
};

TEST_F(OpenedWindows, TheAboutButtonOpensTheAboutBoxAndEachWayClosesIt) {
  Open(test::StillOptions(folder_, ""));
  struct Case {
    const char* name;
    std::function<void(QWidget&)> close;
  };
  const std::vector<Case> cases{
      {"OK", [](QWidget& box) { QTest::mouseClick(Find<QPushButton>(box, id::kOk), Qt::LeftButton); }},
      {"Enter", [](QWidget& box) { QTest::keyClick(&box, Qt::Key_Return); }},
      {"Esc", [](QWidget& box) { QTest::keyClick(&box, Qt::Key_Escape); }},
      {"close box", [](QWidget& box) { box.close(); }},
  };
  for (const Case& closing : cases) {
    SCOPED_TRACE(closing.name);
    bool sawBox = false;
    test::OnNextModal([&](QWidget& modal) {
      auto* box = qobject_cast<CAboutDlg*>(&modal);
      ASSERT_NE(box, nullptr);
      sawBox = true;
      EXPECT_EQ(box->parentWidget(), window_.get());
      EXPECT_EQ(box->windowTitle(), QStringLiteral("关于 QUORIX_NET_CHECK"));
      EXPECT_EQ(Find<QPushButton>(*box, id::kOk)->text(), QStringLiteral("确定"));
      closing.close(*box);
    });
    Click(id::kAboutButton);
    EXPECT_TRUE(sawBox);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_TRUE(window_->isVisible());
  }
}

TEST_F(OpenedWindows, AboutBoxLayout) {
  CAboutDlg box;
  box.show();
  const DialogUnits& units = box.Units();
  EXPECT_EQ(box.ClientArea()->size(), QSize(units.X(223), units.Y(244)));
  EXPECT_EQ(box.minimumSize(), box.maximumSize()) << "fixed size";
  QLabel* picture = nullptr;
  QLabel* text = nullptr;
  for (QLabel* label : box.ClientArea()->findChildren<QLabel*>()) {
    (label->pixmap().isNull() ? text : picture) = label;
  }
  ASSERT_NE(text, nullptr);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(text->text(), QStringLiteral("网络质量检测，1.0 版"));
  EXPECT_EQ(text->geometry(), units.ToPixels(DuRect{7, 229, 114, 8}));
  QPushButton* ok = Find<QPushButton>(box, id::kOk);
  EXPECT_EQ(ok->geometry(), units.ToPixels(DuRect{166, 223, 50, 14}));
  EXPECT_TRUE(ok->isDefault());
  // The picture keeps its own size, 344 x 344, at (7, 7).
  EXPECT_EQ(picture->pixmap().size(), QSize(344, 344));
  EXPECT_EQ(picture->geometry(), QRect(QPoint(units.X(7), units.Y(7)), QSize(344, 344)));
  EXPECT_TRUE(box.ClientArea()->rect().contains(picture->geometry())) << "the picture fits the box";
  EXPECT_FALSE(picture->geometry().intersects(text->geometry()));
  EXPECT_FALSE(picture->geometry().intersects(ok->geometry()));
  const QImage image = picture->pixmap().toImage();
  EXPECT_NE(image.pixel(0, 0), image.pixel(44, 44)) << "a light margin around dark modules";
}

// Each web button shows its page in a page window of its own process, through
// the one member object, and the main window takes no input until that
// window has closed. A stand-in page program notes the page it was given.
TEST_F(OpenedWindows, TheWebButtonsShowTheirPageInAPageProgramWhileTheMainWindowWaits) {
  Open(test::StillOptions(folder_, ""));
  const QString record = folder_.filePath(QStringLiteral("pages"));
  const QString program = folder_.filePath(QStringLiteral("page-program"));
  {
    QFile script(program);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> \"$0.pages\"\nexec sleep 60\n");
  }
  ASSERT_TRUE(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
  const QString pages = program + QStringLiteral(".pages");
  CShowBubgDlg& pageWindow = window_->WebPageWindow();
  pageWindow.SetPageProgram(program);
  QLineEdit& box = window_->DnsServerEdit();
  const QString before = box.text();
  const auto linesOf = [&] {
    QFile file(pages);
    return file.open(QIODevice::ReadOnly)
               ? QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts)
               : QStringList();
  };

  QStringList typedWhileOpen;
  bool visibleAfterEsc = false;
  QObject::connect(&pageWindow, &CShowBubgDlg::opened, window_.get(), [&] {
    const qsizetype seen = typedWhileOpen.size();
    EXPECT_TRUE(QTest::qWaitFor([&] { return linesOf().size() > seen; }, 5000));
    EXPECT_TRUE(pageWindow.IsShowing());
    box.setFocus();
    test::Type(box, QStringLiteral("x"));
    test::PressKey(box, Qt::Key_Escape);  // would end the main window's run
    typedWhileOpen.append(box.text());
    visibleAfterEsc = window_->isVisible();
    pageWindow.Close();  // the user closes the page window
  });
  for (const int button : {id::kLolStatusButton, id::kPubgButton}) Click(button);

  EXPECT_EQ(linesOf(), (QStringList{LolStatusPageAddress(), PubgPageAddress()}));
  EXPECT_EQ(typedWhileOpen, (QStringList{before, before}));
  EXPECT_TRUE(visibleAfterEsc);
  EXPECT_FALSE(pageWindow.IsShowing());
  EXPECT_EQ(pageWindow.m_url, PubgPageAddress());
  box.setFocus();
  test::Type(box, QStringLiteral("x"));
  EXPECT_EQ(box.text(), before + QStringLiteral("x")) << "the main window takes input again";
}

TEST_F(OpenedWindows, TheLanMenuItemsOpenTheTestWindowInTheirMode) {
  Open(test::StillOptions(folder_, ""));
  std::vector<std::string> presets;
  std::vector<QPointer<CLanSpeedDlg>> windows;
  for (const int item : {id::kLanServer, id::kLanClient}) {
    test::OnNextModal([&](QWidget& modal) {
      auto* window = qobject_cast<CLanSpeedDlg*>(&modal);
      ASSERT_NE(window, nullptr);
      EXPECT_EQ(window->parentWidget(), window_.get());
      presets.push_back(window->m_preset);
      windows.emplace_back(window);
      window->close();
    });
    Find<QAction>(*window_, item)->trigger();
  }
  EXPECT_EQ(presets, (std::vector<std::string>{"Quorix测速服务器端", "Quorix测速客户端"}));
  ASSERT_EQ(windows.size(), 2u);
  EXPECT_TRUE(windows[0].isNull() && windows[1].isNull()) << "each window goes when its run returns";
}

TEST_F(OpenedWindows, TheLanTestWindowRunsModallyWhileTheWorkersMeasure) {
  test::OpenPort open;
  MainWindowOptions options = test::LoopbackOptions(folder_);
  options.gameRows = {open.Target()};
  LanTestState state;
  std::ostringstream console;
  options.lanTest = LanDialogEnvironment{&state, &console, 0};
  Open(options);
  const RowRef row = window_->Table(TableKind::kGame).RowAt(0);

  bool measuredMeanwhile = false;
  QPointer<CLanSpeedDlg> opened;
  test::OnNextModal(
      [&](QWidget& modal) {
        opened = qobject_cast<CLanSpeedDlg*>(&modal);
        ASSERT_FALSE(opened.isNull());
        EXPECT_TRUE(opened->isModal());
        EXPECT_EQ(opened->windowTitle(), QStringLiteral("Quorix测速服务器端"));
        EXPECT_TRUE(opened->IsServerMode());
        const std::uint32_t before = row.counters->answered.load();
        measuredMeanwhile = test::WaitUntil([&] { return row.counters->answered.load() >= before + 2; });
        opened->close();
      },
      10s);
  Find<QAction>(*window_, id::kLanServer)->trigger();
  EXPECT_TRUE(measuredMeanwhile);
  EXPECT_TRUE(opened.isNull()) << "destroyed after its run";
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(OpenedWindows, GpuLabelsStayHiddenAndShowWhatTheWorkerWrites) {
  MainWindowOptions options = test::LoopbackOptions(folder_);
  std::atomic<int> cycles{0};
  options.gpu.pause = 10ms;
  options.gpu.onCycleEnd = [&cycles](std::uint64_t) { ++cycles; };
  Open(options);
  EXPECT_EQ(window_->RunningWorkers(), 4);
  QLabel* count = Find<QLabel>(*window_, id::kGpuCountLabel);
  QLabel* usage = Find<QLabel>(*window_, id::kGpuUsageLabel);

  // Without a driver library every cycle fails and both labels keep "0".
  ASSERT_TRUE(test::WaitUntil([&] { return cycles.load() >= 3; }));
  QCoreApplication::processEvents();
  EXPECT_EQ(count->text(), QStringLiteral("0"));
  EXPECT_EQ(usage->text(), QStringLiteral("0"));

  // A reading written on another thread reaches the labels, which stay hidden.
  std::thread([&] {
    window_->GpuCountField().SetText("2");
    window_->GpuUsageField().SetText("37%");
  }).join();
  EXPECT_TRUE(test::WaitUntil([&] { return count->text() == "2" && usage->text() == "37%"; }));
  EXPECT_FALSE(count->isVisible());
  EXPECT_FALSE(usage->isVisible());

  ASSERT_TRUE(window_->StopWorkers(5s));
  EXPECT_EQ(window_->RunningWorkers(), 0);
}

}  // namespace
}  // namespace qnc
