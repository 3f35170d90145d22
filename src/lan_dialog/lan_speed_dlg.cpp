#include "lan_dialog/lan_speed_dlg.h"

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <iostream>

#include "lan_dialog/lan_dialog_template.h"
#include "lan_dialog/lan_dialog_units.h"
#include "lan_dialog/lan_log_font.h"
#include "lan_dialog/lan_log_view.h"
#include "commands/lan_presets.h"
#include "lantest/port_text.h"

namespace qnc {

namespace {

// The smaller windows use an 8-point font.
constexpr int kDialogPointSize = 8;
// A drop-down list's closed height, in dialog units, beside the 14-unit edits.
constexpr int kClosedListHeightDu = 14;

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

CLanSpeedDlg::CLanSpeedDlg(QWidget* parent) : CLanSpeedDlg(parent, LanDialogEnvironment{}) {}

CLanSpeedDlg::CLanSpeedDlg(QWidget* parent, const LanDialogEnvironment& environment)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      environment_(environment),
      console_(std::make_unique<ConsoleLines>(environment.console ? *environment.console : std::cout)),
      controller_(std::make_unique<LanTestController>(
          environment.state ? *environment.state : SharedLanTestState(), log_, *console_)) {
  BuildControls();
}

CLanSpeedDlg::~CLanSpeedDlg() {
  // Every test thread ends before the window and its log go away; only then
  // does the log stop posting its change notices to this object.
  controller_->Shutdown();
  log_.SetChangeListener({});
}

void CLanSpeedDlg::BuildControls() {
  QFont dialogFont = QApplication::font();
  dialogFont.setPointSize(kDialogPointSize);
  setFont(dialogFont);
  const LanDialogUnits units{QFontMetrics(dialogFont)};
  for (const LanControlTemplate& item : LanDialogControls()) {
    QWidget* control = nullptr;
    QRect rect = units.ToPixels(item.rect);
    switch (item.kind) {
      case LanControlKind::kGroupBox: control = new QGroupBox(Text(item.text), this); break;
      case LanControlKind::kLabel: control = new QLabel(Text(item.text), this); break;
      case LanControlKind::kLineEdit: control = new QLineEdit(Text(item.text), this); break;
      case LanControlKind::kPushButton: {
        auto* button = new QPushButton(Text(item.text), this);
        button->setAutoDefault(false);
        control = button;
        break;
      }
      case LanControlKind::kDropDownList: {
        auto* list = new QComboBox(this);
        list->setEditable(false);
        control = list;
        rect.setHeight(units.Y(kClosedListHeightDu));
        break;
      }
      case LanControlKind::kLogEdit: {
        auto* log = new QPlainTextEdit(this);
        log->setReadOnly(true);
        log->setLineWrapMode(QPlainTextEdit::NoWrap);
        log->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        control = log;
        break;
      }
    }
    control->setObjectName(QString::number(item.id));
    control->setGeometry(rect);
    controls_[item.id] = control;
  }
  setFixedSize(units.ToPixels(kLanDialogWidthDu, kLanDialogHeightDu));

  connect(ControlAs<QPushButton>(kLanStartStopButton), &QPushButton::clicked, this, [this] { OnStartStop(); });
  connect(ControlAs<QPushButton>(kLanChangePortButton), &QPushButton::clicked, this, [this] { OnChangePort(); });
}

void CLanSpeedDlg::showEvent(QShowEvent* event) {
  if (!initialized_) {
    initialized_ = true;
    OnInitDialog();
  }
  QDialog::showEvent(event);
}

void CLanSpeedDlg::OnInitDialog() {
  m_serverPort = environment_.serverPort;
  m_clientPort = kDefaultLanPort;
  // The log reaches the window only through queued notices: a test thread
  // never waits for this thread, so the commands' waits cannot block it.
  log_.SetChangeListener([this] { QMetaObject::invokeMethod(this, [this] { ShowLogChanges(); }, Qt::QueuedConnection); });
  ShowLogChanges();
  controller_->StartListener(m_serverPort);

  auto* log = ControlAs<QPlainTextEdit>(kLanLogEdit);
  log->setFont(LanLogFont(QFontDatabase::families()));

  auto* modes = ControlAs<QComboBox>(kLanModeList);
  for (int index = 0; index < static_cast<int>(std::size(kModeItems)); ++index) {
    modes->insertItem(index, Text(kModeItems[index]));
  }
  auto* threadCounts = ControlAs<QComboBox>(kLanThreadCountList);
  for (int index = 0; index < static_cast<int>(std::size(kThreadCountItems)); ++index) {
    threadCounts->insertItem(index, Text(kThreadCountItems[index]));
  }
  modes->setCurrentIndex(kInitialModeIndex);
  threadCounts->setCurrentIndex(kInitialThreadCountIndex);

  setWindowTitle(QString::fromStdString(m_preset));
  const bool server = IsServerMode();
  ControlAs<QGroupBox>(kLanParameterGroup)->setTitle(Text(server ? kServerGroupText : kClientGroupText));
  for (const int id : kServerOnlyControls) Control(id)->setVisible(server);
  for (const int id : kClientOnlyControls) Control(id)->setVisible(!server);
  ControlAs<QLineEdit>(kLanClientPortEdit)->setText(Text(kInitialPortText));
  ControlAs<QLineEdit>(kLanServerPortEdit)->setText(Text(kInitialPortText));
}

bool CLanSpeedDlg::IsServerMode() const { return m_preset == kLanServerPreset; }

QWidget* CLanSpeedDlg::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

template <typename T>
T* CLanSpeedDlg::ControlAs(int id) const {
  return static_cast<T*>(Control(id));
}

void CLanSpeedDlg::OnStartStop() {
  auto* button = ControlAs<QPushButton>(kLanStartStopButton);
  if (button->text() == Text(kStartText)) {
    // The button shows the new state at once; the threads start after the wait.
    button->setText(Text(kStopText));
    button->repaint();
    m_threadCount = ThreadCountForIndex(ControlAs<QComboBox>(kLanThreadCountList)->currentIndex());
    m_clientPort = ReadPortNumber(ControlAs<QLineEdit>(kLanClientPortEdit)->text().toStdString());
    const LanClientSettings settings{ControlAs<QLineEdit>(kLanServerAddressEdit)->text().toStdString(), m_clientPort};
    controller_->StartClients(ControlAs<QComboBox>(kLanModeList)->currentIndex(), m_threadCount, settings);
  } else {
    controller_->StopClients();
    button->setText(Text(kStartText));
  }
}

void CLanSpeedDlg::OnChangePort() {
  m_serverPort = ReadPortNumber(ControlAs<QLineEdit>(kLanServerPortEdit)->text().toStdString());
  controller_->ChangePort(m_serverPort);
}

void CLanSpeedDlg::OnClose() {
  if (!closed_) {
    closed_ = true;
    controller_->Shutdown();
  }
  QDialog::done(QDialog::Rejected);
}

void CLanSpeedDlg::reject() { OnClose(); }

void CLanSpeedDlg::ShowLogChanges() { ApplyLogChanges(*ControlAs<QPlainTextEdit>(kLanLogEdit), log_.TakeChanges()); }

}  // namespace qnc
