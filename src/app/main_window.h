#pragma once
#include <QPoint>
#include <QSystemTrayIcon>
#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <string_view>

#include "app/main_window_options.h"
#include "app/probe_table_model.h"
#include "app/tray_presence.h"
#include "platform/text_field.h"
#include "platform/thread_group.h"
#include "probe/probe_session.h"
#include "qt_ui/template_dialog.h"
#include "web/show_bubg_dlg.h"

class QCloseEvent;
class QLineEdit;
class QTableView;

namespace qnc {

class GpuWorker;

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

  TableStore& Table(TableKind kind) { return session_.Table(kind); }
  ProbeTableModel& Model(TableKind kind) { return *models_[kind]; }
  QTableView& View(TableKind kind) const;
  QLineEdit& DnsServerEdit() const;
  ResetRequest& Reset() { return session_.Reset(); }
  // What the GPU worker writes into labels 1010 and 1009.
  TextFieldStore& GpuCountField() { return gpuCount_; }
  TextFieldStore& GpuUsageField() { return gpuUsage_; }
  // The web-page window that buttons 1007 and 1011 show.
  CShowBubgDlg& WebPageWindow() { return m_showBubgDlg; }
  // The notification-area icon (id 128); null until the window first goes there.
  QSystemTrayIcon* NotificationIcon() const { return tray_ != nullptr ? tray_->Icon() : nullptr; }
  // The fixed configuration file that start-up loads and the tray saves.
  const std::string& ConfigFilePath() const { return configFilePath_; }

  // Requests the workers to stop and waits at most `limit`: true when all
  // have ended (they are then joined).
  bool StopWorkers(std::chrono::milliseconds limit);
  int RunningWorkers() const { return static_cast<int>(session_.Running() + gpuThread_.Running()); }

  // The row at which the user's latest selection in the table was made: the
  // current row while it is selected; -1 when there is none.
  int SelectionMark(TableKind kind) const;

  // Carries out a menu command by its id; false when no handler serves it.
  bool OnCommand(int command);

  // The notification-area icon's events, as TrayPresence::OnActivated
  // handles them: the window comes back, or a right click saves the tables to
  // the fixed file and then offers the menu whose one item ends the program.
  void OnTrayNotify(QSystemTrayIcon::ActivationReason reason);

 public slots:
  // The OK command (Enter) does nothing in this window.
  void accept() override;

  void OnTableRightClick(qnc::TableKind table, const QPoint& position);
  void OnAddDomain();
  void OnDeleteDomain();
  void OnAddPing();
  void OnDeletePing();
  void OnAddGameServer();
  void OnDeleteGameServer();
  void OnRetestDns();
  void OnRetestPing();

  // Buttons and menu commands that open further windows, each modal.
  void OnAbout();
  void OnPubgPage();
  void OnLolStatusPage();
  // Writes the tables to a file the user chooses (so that a later load shows
  // today's order); the tables stay as they are.
  void OnExportConfig();
  // Loads a file the user chooses, then restarts the counters of all three
  // tables, whatever the load did.
  void OnImportConfig();
  void OnLanServer();
  void OnLanClient();

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
  void StartWorkers();
  void DeleteSelectedRow(TableKind kind);
  void OnServerEditChanged(const QString& text);
  void OnWorkerSetServerText();
  void ConnectGpuLabels();
  void ShowOnLabel(int id, const std::string& text);
  TrayPresence& Tray();
  void OpenLanTest(std::string_view preset);
  void OpenWebPage(const QString& address);

  // Saves the tables to the fixed configuration file.
  bool SaveConfigFile();

  // Reused by both web-page buttons for the window's whole life.
  CShowBubgDlg m_showBubgDlg{this};
  MainWindowOptions options_;
  std::string configFilePath_;
  std::unique_ptr<TrayPresence> tray_;
  // The tables and their workers; the destructor stops the workers first.
  ProbeSession session_;
  TextFieldStore gpuCount_;
  TextFieldStore gpuUsage_;
  // The models go before the stores they present.
  PerTable<std::unique_ptr<ProbeTableModel>> models_;
  std::atomic<bool> serverTextPending_{false};
  std::unique_ptr<GpuWorker> gpuWorker_;
  // Declared last: the thread stops and joins before anything it uses goes.
  ThreadGroup gpuThread_;
};

}  // namespace qnc
