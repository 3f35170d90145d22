#pragma once
#include <QColor>
#include <QPoint>
#include <QSystemTrayIcon>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "core/model/text_field.h"
#include "core/probe/probe_session.h"
#include "qt/app/history_windows.h"
#include "qt/app/main_window_options.h"
#include "qt/app/probe_table_model.h"
#include "qt/app/qt_ui_services.h"
#include "qt/app/tray_presence.h"
#include "qt/web/show_bubg_dlg.h"
#include "qt/widgets/template_dialog.h"
#include "qt/widgets/window_thread_call.h"
#include "views/commands/server_box_problem.h"
#include "views/commands/window_commands.h"
#include "views/window_core/main_window_core.h"

class QCloseEvent;
class QLineEdit;
class QTableView;

namespace qnc {

// The background of the DNS server box while its text names no server.
inline constexpr QRgb kInvalidServerBoxColour = 0xff000000u | kInvalidServerBoxRgb;

// The main window: the DNS, ping and game tables measured live by their
// workers, the DNS server box, the command buttons and the menu bar. Enter does
// nothing; Esc ends its run with Rejected. The close box puts it into the
// notification area (or, on a desktop without one, minimises it); the workers
// go on measuring meanwhile.
class CQUORIX_NET_CHECKDlg final : public TemplateDialog {
  Q_OBJECT

 public:
  explicit CQUORIX_NET_CHECKDlg(MainWindowOptions options, QWidget* parent = nullptr);
  // Stops and joins the workers before any control goes.
  ~CQUORIX_NET_CHECKDlg() override;

  TableStore& Table(TableKind kind) { return core_.Session().Table(kind); }
  ProbeTableModel& Model(TableKind kind) { return *models_[kind]; }
  QTableView& View(TableKind kind) const;
  QLineEdit& DnsServerEdit() const;
  ResetRequest& Reset() { return core_.Session().Reset(); }
  // What the GPU worker writes into labels 1010 and 1009.
  TextFieldStore& GpuCountField() { return core_.GpuCountField(); }
  TextFieldStore& GpuUsageField() { return core_.GpuUsageField(); }
  // The web-page window that buttons 1007 and 1011 show.
  CShowBubgDlg& WebPageWindow() { return showBubgDlg_; }
  // The notification-area icon (id 128); null until the window first goes there.
  QSystemTrayIcon* NotificationIcon() const { return tray_ != nullptr ? tray_->Icon() : nullptr; }
  // The fixed configuration file that start-up loads and the tray saves.
  const std::string& ConfigFilePath() const { return commands_.FixedConfigPath(); }

  // The windows on the rows' history: details of a row (double click) and
  // the diagnosis ("【检测】").
  HistoryWindows& History() { return *history_; }

  // What the controls and menus do; the same commands any front end calls.
  WindowCommands& Commands() { return commands_; }

  // Requests the workers to stop and waits at most `limit`: true when all
  // have ended (they are then joined).
  bool StopWorkers(std::chrono::milliseconds limit) { return core_.StopWorkers(limit); }
  int RunningWorkers() const { return core_.RunningWorkers(); }

  // The row at which the user's latest selection in the table was made: the
  // current row while it is selected; -1 when there is none.
  int SelectionMark(TableKind kind) const;

  // The notification-area icon's events, as TrayPresence::OnActivated
  // handles them: the window comes back, or a right click saves the tables to
  // the fixed file and then offers the menu whose one item ends the program.
  void OnTrayNotify(QSystemTrayIcon::ActivationReason reason);

 public slots:
  // The OK command (Enter) does nothing in this window.
  void accept() override;

  // Opens the table's menu of an add and a delete command wherever the click
  // lands, on a row or below the last one.
  void OnTableRightClick(qnc::TableKind table, const QPoint& position);

  // Buttons that open further windows, each modal; the workers go on
  // measuring behind them.
  void OnAbout();
  void OnPubgPage();
  void OnLolStatusPage();

 private slots:
  void ShowWorkerServerText();

 protected:
  // The close box: into the notification area, never the end of the window.
  void closeEvent(QCloseEvent* event) override;

 private:
  void OnInitDialog();
  void SetUpTable(TableKind kind);
  void FillRows();
  void ConnectControls();
  void ListenToWorkers();
  void ConnectButton(int id, void (WindowCommands::*command)());
  void MarkServerBox(const QString& text);
  TrayPresence& Tray();
  void SaveForTray();
  void OpenWebPage(const QString& address);

  // Reused by both web-page buttons for the window's whole life.
  CShowBubgDlg showBubgDlg_{this};
  MainWindowOptions options_;
  std::unique_ptr<TrayPresence> tray_;
  // The tables, their workers and the GPU worker; the destructor stops the
  // workers first.
  MainWindowCore core_;
  QtUiServices ui_;
  WindowCommands commands_;
  // The models go before the stores they present.
  PerTable<std::unique_ptr<ProbeTableModel>> models_;
  // Carries the workers' texts to this window's thread; a child of the window.
  WindowThreadCall* workerCalls_ = new WindowThreadCall(this);
  // Goes before the tables: it deletes the windows that read them.
  std::unique_ptr<HistoryWindows> history_;
};

}  // namespace qnc
