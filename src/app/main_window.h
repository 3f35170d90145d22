#pragma once
#include <QPoint>
#include <atomic>
#include <chrono>
#include <memory>

#include "app/main_window_options.h"
#include "app/probe_table_model.h"
#include "app/template_dialog.h"
#include "app/worker_threads.h"
#include "platform/text_field.h"
#include "probe/coordination.h"
#include "probe/table_store.h"

class QLineEdit;
class QTableView;

namespace qnc {

class DnsWorker;
class PingWorker;
class GameWorker;

// The main window: the DNS, ping and game tables measured live by their
// workers, the DNS server box, the command buttons and the menu bar. Enter does
// nothing; Esc (and, for now, the close box) ends its run with Rejected.
class CQUORIX_NET_CHECKDlg final : public TemplateDialog {
  Q_OBJECT

 public:
  explicit CQUORIX_NET_CHECKDlg(MainWindowOptions options, QWidget* parent = nullptr);
  // Stops and joins the workers before any control goes.
  ~CQUORIX_NET_CHECKDlg() override;

  TableStore& Table(TableKind kind);
  ProbeTableModel& Model(TableKind kind);
  QTableView& View(TableKind kind) const;
  QLineEdit& DnsServerEdit() const;
  TextFieldStore& DnsServerField() { return dnsServer_; }
  ResetRequest& Reset() { return resetRequest_; }

  // Requests the workers to stop and waits at most `limit`: true when all
  // have ended (they are then joined).
  bool StopWorkers(std::chrono::milliseconds limit);
  int RunningWorkers() const { return workers_.Running(); }

  // The row at which the user's latest selection in the table was made: the
  // current row while it is selected; -1 when there is none.
  int SelectionMark(TableKind kind) const;

  // Carries out a menu command by its id; false when no handler serves it.
  bool OnCommand(int command);

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

  // Buttons and menu commands whose windows join later; nothing happens yet.
  void OnAbout();
  void OnPubgPage();
  void OnLolStatusPage();
  void OnExportConfig();
  void OnImportConfig();
  void OnLanServer();
  void OnLanClient();

 private slots:
  void ShowWorkerServerText();

 private:
  void OnInitDialog();
  void SetUpTable(TableKind kind, int controlId);
  void FillRows();
  void ConnectControls();
  void StartWorkers();
  void DeleteSelectedRow(TableKind kind);
  void OnServerEditChanged(const QString& text);
  void OnWorkerSetServerText();

  MainWindowOptions options_;
  TableStore dnsTable_{TableKind::kDns};
  TableStore pingTable_{TableKind::kPing};
  TableStore gameTable_{TableKind::kGame};
  TextFieldStore dnsServer_;
  ResetRequest resetRequest_;
  std::unique_ptr<ResolverLock> resolverLock_;
  // The models go before the stores they present.
  std::unique_ptr<ProbeTableModel> dnsModel_;
  std::unique_ptr<ProbeTableModel> pingModel_;
  std::unique_ptr<ProbeTableModel> gameModel_;
  std::atomic<bool> serverTextPending_{false};
  std::unique_ptr<DnsWorker> dnsWorker_;
  std::unique_ptr<PingWorker> pingWorker_;
  std::unique_ptr<GameWorker> gameWorker_;
  // Declared last: the threads stop and join before anything they use goes.
  WorkerThreads workers_;
};

}  // namespace qnc
