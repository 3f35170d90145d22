#include "qt/lan/lan_speed_dlg.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <iostream>

#include "core/lantest/port_text.h"
#include "qt/lan/lan_log_font.h"
#include "qt/lan/lan_log_view.h"
#include "views/commands/lan_presets.h"
#include "views/templates/lan_test_template.h"

namespace qnc {

namespace {

QString Text(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

CLanSpeedDlg::CLanSpeedDlg(QWidget* parent) : CLanSpeedDlg(parent, LanDialogEnvironment{}) {}

CLanSpeedDlg::CLanSpeedDlg(QWidget* parent, const LanDialogEnvironment& environment)
    : TemplateDialog(LanTestDialogTemplate(), parent),
      environment_(environment),
      console_(std::make_unique<ConsoleLines>(environment.console ? *environment.console : std::cout)),
      controller_(std::make_unique<LanTestController>(environment.state ? *environment.state : SharedLanTestState(),
                                                      log_, *console_)) {
  ConnectCommands();
}

CLanSpeedDlg::~CLanSpeedDlg() {
  // Every test thread ends before the window and its log go away; only then
  // does the log stop posting its change notices to this object.
  controller_->Shutdown();
  log_.SetChangeListener({});
}

void CLanSpeedDlg::ConnectCommands() {
  connect(ControlAs<QPushButton>(id::kLanStartStopButton), &QPushButton::clicked, this, [this] { OnStartStop(); });
  connect(ControlAs<QPushButton>(id::kLanChangePortButton), &QPushButton::clicked, this, [this] { OnChangePort(); });
}

void CLanSpeedDlg::showEvent(QShowEvent* event) {
  if (!initialized_) {
    initialized_ = true;
    OnInitDialog();
  }
  TemplateDialog::showEvent(event);
}

void CLanSpeedDlg::OnInitDialog() {
  m_serverPort = environment_.serverPort;
  m_clientPort = kDefaultLanPort;
  // The log reaches the window only through queued notices: a test thread
  // never waits for this thread, so the commands' waits cannot block it.
  log_.SetChangeListener([this] { logCalls_->Post([this] { ShowLogChanges(); }); });
  ShowLogChanges();
  controller_->StartListener(m_serverPort);

  auto* log = ControlAs<QPlainTextEdit>(id::kLanLogEdit);
  log->setFont(LanLogFont(QFontDatabase::families()));

  auto* modes = ControlAs<QComboBox>(id::kLanModeList);
  for (int index = 0; index < static_cast<int>(std::size(lan_window::kModeItems)); ++index) {
    modes->insertItem(index, Text(lan_window::kModeItems[index]));
  }
  auto* threadCounts = ControlAs<QComboBox>(id::kLanThreadCountList);
  for (int index = 0; index < static_cast<int>(std::size(lan_window::kThreadCountItems)); ++index) {
    threadCounts->insertItem(index, Text(lan_window::kThreadCountItems[index]));
  }
  modes->setCurrentIndex(lan_window::kInitialModeIndex);
  threadCounts->setCurrentIndex(lan_window::kInitialThreadCountIndex);

  setWindowTitle(QString::fromStdString(m_preset));
  const bool server = IsServerMode();
  ControlAs<QGroupBox>(id::kLanParameterGroup)
      ->setTitle(Text(server ? lan_window::kServerGroupText : lan_window::kClientGroupText));
  for (const int control : lan_window::kServerOnlyControls) Control(control)->setVisible(server);
  for (const int control : lan_window::kClientOnlyControls) Control(control)->setVisible(!server);
  ControlAs<QLineEdit>(id::kLanClientPortEdit)->setText(Text(lan_window::kInitialPortText));
  ControlAs<QLineEdit>(id::kLanServerPortEdit)->setText(Text(lan_window::kInitialPortText));
}

bool CLanSpeedDlg::IsServerMode() const { return m_preset == kLanServerPreset; }

void CLanSpeedDlg::OnStartStop() {
  auto* button = ControlAs<QPushButton>(id::kLanStartStopButton);
  if (!controller_->ClientTestRunning()) {
    // The button shows the new state at once; the threads start after the wait.
    button->setText(Text(lan_window::kStopText));
    button->repaint();
    m_threadCount = ThreadCountForIndex(ControlAs<QComboBox>(id::kLanThreadCountList)->currentIndex());
    m_clientPort = ReadPortNumber(ControlAs<QLineEdit>(id::kLanClientPortEdit)->text().toStdString());
    const LanClientSettings settings{ControlAs<QLineEdit>(id::kLanServerAddressEdit)->text().toStdString(),
                                     m_clientPort};
    controller_->StartClients(ControlAs<QComboBox>(id::kLanModeList)->currentIndex(), m_threadCount, settings);
  } else {
    controller_->StopClients();
    button->setText(Text(lan_window::kStartText));
  }
}

void CLanSpeedDlg::OnChangePort() {
  m_serverPort = ReadPortNumber(ControlAs<QLineEdit>(id::kLanServerPortEdit)->text().toStdString());
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

void CLanSpeedDlg::ShowLogChanges() {
  ApplyLogChanges(*ControlAs<QPlainTextEdit>(id::kLanLogEdit), log_.TakeChanges());
}

}  // namespace qnc
