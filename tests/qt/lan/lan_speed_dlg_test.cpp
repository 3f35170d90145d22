#include "qt/lan/lan_speed_dlg.h"

#include <gtest/gtest.h>

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <regex>
#include <set>
#include <sstream>

#include "core/lantest/lan_test_support.h"
#include "qt/lan/lan_log_font.h"
#include "qt/lan/lan_log_view.h"
#include "qt_test_app.h"
#include "views/commands/lan_presets.h"
#include "views/templates/lan_test_template.h"

namespace qnc {
namespace {

[[maybe_unused]] auto* const kQtApp = ::testing::AddGlobalTestEnvironment(new testing::QtApplicationEnvironment);

using testing::WaitWithEvents;

QString Q(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

// A dialog on its own state and console, listening on an ephemeral port.
struct DialogUnderTest {
  explicit DialogUnderTest(std::string_view preset) : dialog(nullptr, LanDialogEnvironment{&state, &console, 0}) {
    dialog.m_preset = preset;
    dialog.show();
  }
  ~DialogUnderTest() {
    if (dialog.isVisible()) dialog.OnClose();
  }
  template <typename T>
  T* Get(int id) {
    auto* control = qobject_cast<T*>(dialog.findChild<QWidget*>(QString::number(id)));
    EXPECT_NE(control, nullptr) << id;
    return control;
  }
  std::string LogText() { return LogViewText(*Get<QPlainTextEdit>(id::kLanLogEdit)); }

  LanTestState state;
  std::ostringstream console;
  CLanSpeedDlg dialog;
};

QStringList Items(QComboBox* list) {
  QStringList items;
  for (int i = 0; i < list->count(); ++i) items << list->itemText(i);
  return items;
}

TEST(LanSpeedDlgTest, PresetChoosesModeControlsAndCaption) {
  const struct {
    std::string_view preset;
    bool server;
  } cases[] = {
      {kLanServerPreset, true},
      {kLanClientPreset, false},
      {"", false},
      {"Quorix测速服务器端 ", false},  // not byte for byte
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.preset));
    DialogUnderTest under(c.preset);
    CLanSpeedDlg& dialog = under.dialog;
    EXPECT_EQ(dialog.IsServerMode(), c.server);
    EXPECT_EQ(dialog.windowTitle(), Q(c.preset));
    EXPECT_EQ(under.Get<QGroupBox>(id::kLanParameterGroup)->title(), Q(c.server ? "服务器端参数" : "客户端参数"));

    const std::set<int> serverOnly(std::begin(lan_window::kServerOnlyControls),
                                   std::end(lan_window::kServerOnlyControls));
    const std::set<int> clientOnly(std::begin(lan_window::kClientOnlyControls),
                                   std::end(lan_window::kClientOnlyControls));
    for (const ControlTemplate& item : LanTestDialogTemplate().controls) {
      const bool shown = serverOnly.count(item.id) ? c.server : clientOnly.count(item.id) ? !c.server : true;
      EXPECT_EQ(dialog.Control(item.id)->isVisibleTo(&dialog), shown) << item.id;
    }

    EXPECT_EQ(under.Get<QLineEdit>(id::kLanClientPortEdit)->text(), "10110");
    EXPECT_EQ(under.Get<QLineEdit>(id::kLanServerPortEdit)->text(), "10110");
    EXPECT_EQ(under.Get<QLineEdit>(id::kLanServerAddressEdit)->text(), "");
    EXPECT_EQ(under.Get<QPushButton>(id::kLanStartStopButton)->text(), Q("开始测试"));
    EXPECT_EQ(under.Get<QPushButton>(id::kLanChangePortButton)->text(), Q("修改端口"));
    auto* modes = under.Get<QComboBox>(id::kLanModeList);
    EXPECT_EQ(Items(modes), (QStringList{Q("同时上传和下载"), Q("只下载测试"), Q("只上传测试")}));
    EXPECT_EQ(modes->currentIndex(), 1);
    EXPECT_FALSE(modes->isEditable());
    auto* threads = under.Get<QComboBox>(id::kLanThreadCountList);
    EXPECT_EQ(Items(threads), (QStringList{Q("1线程"), Q("4线程"), Q("8线程")}));
    EXPECT_EQ(threads->currentIndex(), 0);

    // Both modes listen from the start: the listener's line fills the log,
    // naming the port that the system chose for port 0.
    EXPECT_TRUE(WaitWithEvents([&] {
      const std::uint16_t port = dialog.Controller().ListeningPort();
      return port != 0 && under.LogText() == "TCP 服务器启动,客户端连接端口:" + std::to_string(port) + "........\r\n";
    })) << under.LogText();
  }
}

TEST(LanSpeedDlgTest, LayoutFollowsTheTemplateInDialogUnits) {
  DialogUnderTest under(kLanServerPreset);
  // The smaller windows' 8-point font sets the size of a dialog unit.
  EXPECT_EQ(under.dialog.font().pointSize(), 8);
  const DialogUnits units = DialogUnits::ForFont(under.dialog.font());
  const DialogTemplate& layout = LanTestDialogTemplate();
  EXPECT_EQ(under.dialog.size(), units.ToPixels(layout.widthDu, layout.heightDu));
  EXPECT_EQ(under.dialog.minimumSize(), under.dialog.maximumSize()) << "fixed size";
  for (const ControlTemplate& item : layout.controls) {
    const QRect expected = units.ToPixels(item.rect);
    const QRect actual = under.dialog.Control(item.id)->geometry();
    EXPECT_EQ(actual.topLeft(), expected.topLeft()) << item.id;
    EXPECT_EQ(actual.width(), expected.width()) << item.id;
    if (item.kind != ControlKind::kDropDownList) {
      EXPECT_EQ(actual.height(), expected.height()) << item.id;
    }
  }
  EXPECT_EQ(under.dialog.Control(id::kLanLogEdit)->objectName(), "1001");
}

TEST(LanSpeedDlgTest, LogFontIsTheCalligraphicFaceOrAnInstalledCjkFont) {
  DialogUnderTest under(kLanClientPreset);
  const QFont font = under.Get<QPlainTextEdit>(id::kLanLogEdit)->font();
  EXPECT_TRUE(font.bold());
  EXPECT_EQ(font.pixelSize(), 16);
  const QStringList installed = QFontDatabase::families();
  if (installed.contains(Q(kLanLogFontFamily))) {
    EXPECT_EQ(font.family(), Q(kLanLogFontFamily));
  } else {
    EXPECT_TRUE(QFontDatabase::writingSystems(font.family()).contains(QFontDatabase::SimplifiedChinese))
        << font.family().toStdString();
  }
  // The choice itself, against lists with and without the face.
  EXPECT_EQ(LanLogFont({Q("DejaVu Sans"), Q(kLanLogFontFamily)}).family(), Q(kLanLogFontFamily));
  EXPECT_EQ(LanLogFont({Q("DejaVu Sans"), Q("WenQuanYi Micro Hei")}).family(), Q("WenQuanYi Micro Hei"));
}

// The client side against a server on 127.0.0.1: the button reads "停止"
// once the start command returns, the threads connect and report into the
// log, and the stop command turns the button back and ends them.
TEST(LanSpeedDlgTest, StartAndStopAClientRun) {
  testing::LanSide server;
  const std::uint16_t port = server.Listen();
  ASSERT_NE(port, 0);
  DialogUnderTest under(kLanClientPreset);
  under.Get<QLineEdit>(id::kLanServerAddressEdit)->setText("127.0.0.1");
  under.Get<QLineEdit>(id::kLanClientPortEdit)->setText(QString::number(port));
  under.Get<QComboBox>(id::kLanModeList)->setCurrentIndex(0);
  under.Get<QComboBox>(id::kLanThreadCountList)->setCurrentIndex(1);
  auto* button = under.Get<QPushButton>(id::kLanStartStopButton);

  button->click();
  EXPECT_EQ(button->text(), Q("停止"));
  EXPECT_TRUE(under.dialog.Controller().ClientTestRunning());
  EXPECT_EQ(under.dialog.m_threadCount, 4);
  EXPECT_EQ(under.dialog.m_clientPort, port);
  ASSERT_TRUE(WaitWithEvents([&] {
    const auto lines = testing::LogLines(under.LogText());
    return testing::CountMatching(lines, testing::kClientReport) >= 1 && !lines.empty() &&
           lines.back() == "已连接服务器..........";
  })) << under.LogText();
  EXPECT_EQ(under.dialog.Log().Text(), under.LogText()) << "the view shows the store";
  const MeterReading meter = under.state.clientMeter.Read();
  EXPECT_GT(meter.sentTotal * 10, meter.receivedTotal) << "the first item sends both ways, not 1024 bytes a pass";
  EXPECT_EQ(server.controller.ConnectionsRunning(), 4u);

  button->click();
  EXPECT_EQ(button->text(), Q("开始测试"));
  EXPECT_TRUE(WaitWithEvents([&] { return under.dialog.Controller().ClientsRunning() == 0; }));
}

// The button only shows whether a test runs; the controller knows it. A
// caption put there from outside (another language, say) changes nothing of
// what a click does.
TEST(LanSpeedDlgTest, ClickFollowsTheTestNotTheCaption) {
  const std::uint16_t port = testing::FreeLoopbackPort();
  ASSERT_NE(port, 0);
  DialogUnderTest under(kLanClientPreset);
  under.Get<QLineEdit>(id::kLanServerAddressEdit)->setText("127.0.0.1");
  under.Get<QLineEdit>(id::kLanClientPortEdit)->setText(QString::number(port));
  auto* button = under.Get<QPushButton>(id::kLanStartStopButton);

  button->setText("Start test");
  button->click();
  EXPECT_TRUE(under.dialog.Controller().ClientTestRunning()) << "a caption that is not 开始测试 still starts";
  EXPECT_EQ(button->text(), Q("停止"));

  button->setText(Q("开始测试"));
  button->click();
  EXPECT_FALSE(under.dialog.Controller().ClientTestRunning()) << "a running test stops, whatever the caption says";
  EXPECT_EQ(button->text(), Q("开始测试"));
  EXPECT_EQ(under.dialog.Controller().ClientsRunning(), 0u);
}

TEST(LanSpeedDlgTest, ChangePortListensOnTheNewPort) {
  DialogUnderTest under(kLanServerPreset);
  ASSERT_TRUE(WaitWithEvents([&] { return !under.LogText().empty(); }));
  const std::uint16_t port = testing::FreeLoopbackPort();
  under.Get<QLineEdit>(id::kLanServerPortEdit)->setText(QString::number(port));
  under.Get<QPushButton>(id::kLanChangePortButton)->click();
  EXPECT_EQ(under.dialog.m_serverPort, port);
  EXPECT_TRUE(WaitWithEvents([&] {
    return under.LogText() == "TCP 服务器启动,客户端连接端口:" + std::to_string(port) + "........\r\n";
  })) << under.LogText();
  EXPECT_EQ(under.dialog.Controller().ListeningPort(), port);
  EXPECT_EQ(under.dialog.Controller().ListenersRunning(), 1u);
}

TEST(LanSpeedDlgTest, CloseEndsTheDialogAndItsThreads) {
  DialogUnderTest under(kLanClientPreset);
  ASSERT_TRUE(WaitWithEvents([&] { return under.dialog.Controller().ListeningPort() != 0; }));
  under.dialog.reject();  // Esc and the close box come here
  EXPECT_FALSE(under.dialog.isVisible());
  EXPECT_EQ(under.dialog.result(), QDialog::Rejected);
  EXPECT_EQ(under.dialog.Controller().ListenersRunning(), 0u);
}

}  // namespace
}  // namespace qnc
