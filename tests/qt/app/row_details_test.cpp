// A double click on a row opens its details window: the right row, live, gone
// with the row; its CSV export writes the whole file or reports the failure.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "app_test_support.h"
#include "qt/app/main_window.h"
#include "qt/history/latency_chart.h"
#include "qt/history/row_details_window.h"
#include "views/templates/history_templates.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

class RowDetails : public ::testing::Test {
 protected:
  void SetUp() override { test::App(); }

  void Open(MainWindowOptions options) {
    window_ = std::make_unique<CQUORIX_NET_CHECKDlg>(std::move(options));
    window_->show();
  }

  QPoint RowCentre(TableKind kind, int row) {
    QTableView& view = window_->View(kind);
    return view.visualRect(view.model()->index(row, 0)).center();
  }

  RowDetailsWindow* DoubleClick(TableKind kind, int row) {
    // As the mouse makes it: a click, then the second press that the system
    // reports as a double click.
    QTableView& view = window_->View(kind);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, RowCentre(kind, row));
    QTest::mouseDClick(view.viewport(), Qt::LeftButton, Qt::NoModifier, RowCentre(kind, row));
    return window_->History().RowDetails(kind, window_->Table(kind).RowAt(row).id);
  }

  QList<RowDetailsWindow*> OpenDetails() const {
    QList<RowDetailsWindow*> open;
    for (RowDetailsWindow* each : window_->findChildren<RowDetailsWindow*>()) {
      if (each->isVisible()) open.append(each);
    }
    return open;
  }

  static Sample Answered(int second, double ms) {
    return {std::chrono::system_clock::time_point(std::chrono::seconds(1'800'000'000 + second)),
            static_cast<std::uint32_t>(ms * 1000), FailureReason::kNone};
  }
  static Sample Failed(int second, FailureReason reason) {
    return {std::chrono::system_clock::time_point(std::chrono::seconds(1'800'000'000 + second)), 1'000'000, reason};
  }
  SampleRing& History(TableKind kind, int row) { return window_->Table(kind).RowAt(row).counters->history; }
  static const QAbstractItemModel* FailureList(const RowDetailsWindow& details) {
    const auto* view = details.ControlAs<QTableView>(id::kDetailsFailureList);
    return view == nullptr ? nullptr : view->model();
  }
  static QString Cell(const QAbstractItemModel& list, int row, int column) {
    return list.index(row, column).data().toString();
  }

  test::OpenPort open_;
  const std::string closed_ = "127.0.0.1:" + std::to_string(test::ClosedPort());
  QTemporaryDir folder_;
  std::unique_ptr<CQUORIX_NET_CHECKDlg> window_;
};

TEST_F(RowDetails, OpensOnTheRowFollowsItAndClosesWhenItIsDeleted) {
  MainWindowOptions options = test::LoopbackOptions(folder_);
  options.gameRows = {open_.Target(), closed_, open_.Target()};
  Open(options);
  RowDetailsWindow* details = DoubleClick(TableKind::kGame, 1);
  ASSERT_NE(details, nullptr);
  EXPECT_EQ(details->Row(), window_->Table(TableKind::kGame).RowAt(1).id);
  EXPECT_TRUE(details->windowTitle().contains(QString::fromStdString(closed_)));
  EXPECT_FALSE(details->isModal());

  // It follows the row: new samples come in, each a refused connection.
  const std::size_t first = details->Samples().size();
  ASSERT_TRUE(test::WaitUntil([&] { return details->Samples().size() >= first + 2; }, 10s));
  EXPECT_EQ(details->Statistics().answered, 0u);
  const QAbstractItemModel* failures = FailureList(*details);
  ASSERT_NE(failures, nullptr);
  ASSERT_GE(failures->rowCount(), 2);
  EXPECT_EQ(Cell(*failures, 0, 1), QStringLiteral("连接被拒绝"));

  // A second double click raises the same window; another row gets its own.
  EXPECT_EQ(DoubleClick(TableKind::kGame, 1), details);
  EXPECT_EQ(OpenDetails().size(), 1);
  RowDetailsWindow* other = DoubleClick(TableKind::kGame, 2);
  ASSERT_NE(other, nullptr);
  EXPECT_NE(other, details);
  EXPECT_EQ(OpenDetails().size(), 2);

  // Deleting the row closes its window at once; the other one stays.
  QPointer<RowDetailsWindow> watched = details;
  QTest::mouseClick(window_->View(TableKind::kGame).viewport(), Qt::LeftButton, Qt::NoModifier,
                    RowCentre(TableKind::kGame, 1));
  window_->Commands().DeleteSelectedRow(TableKind::kGame);
  EXPECT_TRUE(test::WaitUntil([&] { return watched.isNull(); }, 2s));
  EXPECT_EQ(OpenDetails(), QList<RowDetailsWindow*>{other});
}

TEST_F(RowDetails, ClosesWhenTheTableIsCleared) {
  MainWindowOptions options = test::StillOptions(folder_, "");
  options.defaultRows = false;
  options.pingRows = {"a.test", "b.test"};
  Open(options);
  QPointer<RowDetailsWindow> details = DoubleClick(TableKind::kPing, 0);
  ASSERT_FALSE(details.isNull());
  window_->Model(TableKind::kPing).DeleteAllRows();
  EXPECT_TRUE(test::WaitUntil([&] { return details.isNull(); }, 2s));
}

TEST_F(RowDetails, ShowsTheKeptSamplesAndTakesOnlyNewOnes) {
  MainWindowOptions options = test::StillOptions(folder_, "");
  options.defaultRows = false;
  options.pingRows = {"a.test"};
  Open(options);
  SampleRing& history = History(TableKind::kPing, 0);
  history.Append(Answered(0, 12.5));
  history.Append(Failed(1, FailureReason::kUnreachable));
  history.Append(Answered(2, 20.5));
  RowDetailsWindow* details = DoubleClick(TableKind::kPing, 0);
  ASSERT_NE(details, nullptr);
  EXPECT_EQ(details->Samples(), history.Samples());
  EXPECT_EQ(details->Statistics().count, 3u);
  EXPECT_EQ(details->Statistics().meanMs, 16.5);

  history.Append(Failed(3, FailureReason::kTimeout));
  ASSERT_TRUE(test::WaitUntil([&] { return details->Samples().size() == 4; }, 3s));
  EXPECT_EQ(details->Samples(), history.Samples());
  const QAbstractItemModel* failures = FailureList(*details);
  ASSERT_NE(failures, nullptr);
  ASSERT_EQ(failures->rowCount(), 2);
  EXPECT_EQ(Cell(*failures, 0, 1), QStringLiteral("超时"));  // the newest first
  EXPECT_EQ(Cell(*failures, 1, 1), QStringLiteral("目标不可达"));

  // A counter reset empties the history: the window starts again with it.
  window_->Commands().RetestPing();
  history.Append(Answered(10, 7));
  ASSERT_TRUE(test::WaitUntil([&] { return details->Samples().size() == 1; }, 3s));
  EXPECT_EQ(details->Statistics().count, 1u);
  EXPECT_EQ(failures->rowCount(), 0);
}

TEST_F(RowDetails, ExportsTheSamplesAsCsvOrSaysWhyNot) {
  MainWindowOptions options = test::StillOptions(folder_, "");
  options.defaultRows = false;
  options.gameRows = {"g.test:443"};
  Open(options);
  SampleRing& history = History(TableKind::kGame, 0);
  history.Append(Answered(0, 12.5));
  history.Append(Failed(1, FailureReason::kRefused));
  RowDetailsWindow* details = DoubleClick(TableKind::kGame, 0);
  ASSERT_NE(details, nullptr);
  auto* button = details->ControlAs<QPushButton>(id::kDetailsExportButton);
  auto* message = details->ControlAs<QLabel>(id::kDetailsExportMessage);
  ASSERT_NE(button, nullptr);
  ASSERT_NE(message, nullptr);

  // Through the button and its file dialog.
  const QString path = folder_.filePath(QStringLiteral("导出.csv"));
  test::OnNextModal([&](QWidget& dialog) { test::ChooseFile(dialog, path); });
  QTest::mouseClick(button, Qt::LeftButton);
  QFile written(path);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = written.readAll().split('\n');
  ASSERT_EQ(lines.size(), 4) << "a header, two samples and the last line end";
  EXPECT_EQ(lines[0], "time,table,target,round_trip_ms,outcome,reason");
  EXPECT_TRUE(lines[1].endsWith(",game,g.test:443,12.500,answered,ok")) << lines[1].toStdString();
  EXPECT_TRUE(lines[2].endsWith(",game,g.test:443,,failed,refused")) << lines[2].toStdString();
  EXPECT_TRUE(message->text().contains(QStringLiteral("已导出 2 个样本"))) << message->text().toStdString();
  written.close();

  // Over a file that exists: replaced whole.
  const QString old = folder_.filePath(QStringLiteral("old.csv"));
  {
    QFile file(old);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("old\n");
  }
  ASSERT_TRUE(details->ExportCsv(old));
  QFile replaced(old);
  ASSERT_TRUE(replaced.open(QIODevice::ReadOnly));
  EXPECT_EQ(replaced.readAll().split('\n'), lines);

  // Paths that cannot be written: the window says so and leaves no file.
  QFile plain(folder_.filePath(QStringLiteral("plain")));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  for (const QString& bad : {folder_.filePath(QStringLiteral("no-such-folder/x.csv")),
                             folder_.filePath(QStringLiteral("plain/x.csv")), folder_.path()}) {
    SCOPED_TRACE(bad.toStdString());
    EXPECT_FALSE(details->ExportCsv(bad));
    EXPECT_TRUE(message->text().startsWith(QStringLiteral("导出失败"))) << message->text().toStdString();
    EXPECT_TRUE(message->text().contains(bad));
  }
  EXPECT_FALSE(QFile::exists(folder_.filePath(QStringLiteral("no-such-folder"))));
  EXPECT_EQ(QFileInfo(folder_.filePath(QStringLiteral("plain"))).size(), 0);
  QStringList left = QDir(folder_.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
  left.removeAll(QStringLiteral("route"));
  EXPECT_EQ(left, (QStringList{QStringLiteral("old.csv"), QStringLiteral("plain"), QStringLiteral("导出.csv")}));
}

// The export never turns what is not a regular file into one: a FIFO, a
// device node (made where the test may) and a symbolic link stay as they
// were, and the file behind the link keeps its bytes.
TEST_F(RowDetails, ExportRefusesWhatIsNoRegularFile) {
  MainWindowOptions options = test::StillOptions(folder_, "");
  options.defaultRows = false;
  options.gameRows = {"g.test:443"};
  Open(options);
  History(TableKind::kGame, 0).Append(Answered(0, 12.5));
  RowDetailsWindow* details = DoubleClick(TableKind::kGame, 0);
  ASSERT_NE(details, nullptr);
  auto* message = details->ControlAs<QLabel>(id::kDetailsExportMessage);
  ASSERT_NE(message, nullptr);

  const QString fifo = folder_.filePath(QStringLiteral("fifo.csv"));
  ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
  const QString target = folder_.filePath(QStringLiteral("target.txt"));
  {
    QFile file(target);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("kept\n");
  }
  const QString link = folder_.filePath(QStringLiteral("link.csv"));
  ASSERT_TRUE(QFile::link(target, link));
  struct Case {
    QString path;
    mode_t type;
  };
  std::vector<Case> cases{{fifo, S_IFIFO}, {link, S_IFLNK}};
  const QString device = folder_.filePath(QStringLiteral("null.csv"));
  if (mknod(QFile::encodeName(device).constData(), S_IFCHR | 0600, makedev(1, 3)) == 0)
    cases.push_back({device, S_IFCHR});

  for (const Case& each : cases) {
    SCOPED_TRACE(each.path.toStdString());
    EXPECT_FALSE(details->ExportCsv(each.path));
    EXPECT_TRUE(message->text().startsWith(QStringLiteral("导出失败"))) << message->text().toStdString();
    struct stat seen {};
    ASSERT_EQ(lstat(QFile::encodeName(each.path).constData(), &seen), 0);
    EXPECT_EQ(seen.st_mode & S_IFMT, each.type);
  }
  QFile kept(target);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), "kept\n");
}

// The export dialog starts in the home folder, not in the process's working
// folder, and then in the folder last exported to.
TEST_F(RowDetails, ExportDialogStartsAtHomeThenWhereTheLastExportWent) {
  MainWindowOptions options = test::StillOptions(folder_, "");
  options.defaultRows = false;
  options.gameRows = {"g.test:443"};
  Open(options);
  RowDetailsWindow* details = DoubleClick(TableKind::kGame, 0);
  ASSERT_NE(details, nullptr);
  auto* button = details->ControlAs<QPushButton>(id::kDetailsExportButton);
  ASSERT_NE(button, nullptr);
  const QString working = QDir::currentPath();
  ASSERT_TRUE(QDir::setCurrent(QStringLiteral("/")));

  QDir folder(folder_.path());
  ASSERT_TRUE(folder.mkdir(QStringLiteral("exports")));
  const QString exports = QFileInfo(folder.filePath(QStringLiteral("exports"))).canonicalFilePath();
  QStringList startedIn;
  for (const QString& chosen :
       {QDir(exports).filePath(QStringLiteral("a.csv")), QDir(exports).filePath(QStringLiteral("b.csv"))}) {
    test::OnNextModal([&](QWidget& dialog) {
      startedIn.append(QFileInfo(static_cast<QFileDialog&>(dialog).directory().path()).canonicalFilePath());
      test::ChooseFile(dialog, chosen);
    });
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_TRUE(QFile::exists(chosen));
  }
  QDir::setCurrent(working);
  EXPECT_EQ(startedIn, (QStringList{QFileInfo(QDir::homePath()).canonicalFilePath(), exports}));
}

}  // namespace
}  // namespace qnc
