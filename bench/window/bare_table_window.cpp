// The reference for the window's start-up figures: a bare Qt 6 Widgets window
// with one 30-row table of six columns, and nothing else. It notes the moment
// its table first paints rows in the same start-up log as the window program
// ("qnc.app.startup.info=true"), so that window_side_by_side.sh measures both
// alike. Prints nothing else; asserts nothing.
#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QLoggingCategory>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QWidget>

Q_LOGGING_CATEGORY(lcBareStartup, "qnc.app.startup", QtWarningMsg)

namespace {

constexpr int kRows = 30;
constexpr int kColumns = 6;

class FirstPaintNote final : public QObject {
 public:
  explicit FirstPaintNote(QTableWidget& table) : QObject(&table) { table.viewport()->installEventFilter(this); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) {
      qCInfo(lcBareStartup, "first painted row");
      watched->removeEventFilter(this);
    }
    return false;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("bare table"));
  auto* table = new QTableWidget(kRows, kColumns, &window);
  for (int row = 0; row < kRows; ++row) {
    for (int column = 0; column < kColumns; ++column) {
      table->setItem(row, column, new QTableWidgetItem(QStringLiteral("行 %1 列 %2").arg(row).arg(column)));
    }
  }
  table->verticalHeader()->hide();
  new FirstPaintNote(*table);
  (new QVBoxLayout(&window))->addWidget(table);
  window.resize(800, 600);
  window.show();
  return QApplication::exec();
}
