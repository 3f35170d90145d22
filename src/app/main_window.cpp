#include "app/main_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <algorithm>
#include <array>

#include "app/app_images.h"
#include "app/config_file_location.h"
#include "app/modal_runners.h"
#include "app/ping_permission_notice.h"
#include "app/report_view.h"
#include "config/config_file.h"
#include "gpu/gpu_worker.h"
#include "ui/control_ids.h"
#include "ui/window_templates.h"

namespace qnc {

namespace {

using Handler = void (CQUORIX_NET_CHECKDlg::*)();

struct Route {
  int id;
  Handler handler;
};

// Menu commands and the handlers that serve them. "【检测】" (32780) has none.
constexpr std::array kCommandRoutes{
    Route{id::kAddPing, &CQUORIX_NET_CHECKDlg::OnAddPing},
    Route{id::kDeletePing, &CQUORIX_NET_CHECKDlg::OnDeletePing},
    Route{id::kAddDomain, &CQUORIX_NET_CHECKDlg::OnAddDomain},
    Route{id::kDeleteDomain, &CQUORIX_NET_CHECKDlg::OnDeleteDomain},
    Route{id::kAddGameServer, &CQUORIX_NET_CHECKDlg::OnAddGameServer},
    Route{id::kDeleteGameServer, &CQUORIX_NET_CHECKDlg::OnDeleteGameServer},
    Route{id::kLanServer, &CQUORIX_NET_CHECKDlg::OnLanServer},
    Route{id::kLanClient, &CQUORIX_NET_CHECKDlg::OnLanClient},
};

// Buttons and the handlers their clicks go to.
constexpr std::array kButtonRoutes{
    Route{id::kConfirmDnsButton, &CQUORIX_NET_CHECKDlg::OnRetestDns},
    Route{id::kRetestPingButton, &CQUORIX_NET_CHECKDlg::OnRetestPing},
    Route{id::kRetestDnsButton, &CQUORIX_NET_CHECKDlg::OnRetestDns},
    Route{id::kAboutButton, &CQUORIX_NET_CHECKDlg::OnAbout},
    Route{id::kPubgButton, &CQUORIX_NET_CHECKDlg::OnPubgPage},
    Route{id::kLolStatusButton, &CQUORIX_NET_CHECKDlg::OnLolStatusPage},
    Route{id::kExportButton, &CQUORIX_NET_CHECKDlg::OnExportConfig},
    Route{id::kImportButton, &CQUORIX_NET_CHECKDlg::OnImportConfig},
};

constexpr PerTable<int> kTableControlIds{id::kDnsTable, id::kPingTable, id::kGameTable};

}  // namespace

CQUORIX_NET_CHECKDlg::CQUORIX_NET_CHECKDlg(MainWindowOptions options, QWidget* parent)
    : TemplateDialog(MainDialogTemplate(), parent),
      options_(std::move(options)),
      configFilePath_(options_.configFilePath.empty() ? FixedConfigFilePath() : options_.configFilePath),
      session_(options_) {
  options_.modals = CompleteModalRunners(std::move(options_.modals));
  OnInitDialog();
  NoticeIfPingsCannotBeSent(*this, Model(TableKind::kPing), options_.icmpUnavailableReason);
}

CQUORIX_NET_CHECKDlg::~CQUORIX_NET_CHECKDlg() {
  // All four hear the request before the first join waits.
  session_.RequestStop();
  gpuThread_.RequestStop();
  session_.StopAndJoin();
  gpuThread_.StopAndJoin();
  session_.DnsServer().SetChangedListener(nullptr);
  for (const TableKind kind : kAllTables) session_.SetRowEditor(kind, nullptr);
  gpuCount_.SetChangedListener(nullptr);
  gpuUsage_.SetChangedListener(nullptr);
  // The controls outlive this object's members; nothing they still emit while
  // they go may reach it.
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void CQUORIX_NET_CHECKDlg::OnInitDialog() {
  // A program cannot add items to the system menu that the window manager
  // draws here, so the About box opens from its button only.
  setWindowIcon(AppIcon());

  for (const TableKind kind : kAllTables) SetUpTable(kind);
  FillRows();
  ConnectControls();
  ConnectGpuLabels();

  // The fixed file replaces the default rows of the tables it holds.
  session_.ApplyConfig(ReadConfig(configFilePath_));

  if (options_.startWorkers) StartWorkers();
  // Keyboard focus stays with the first control in tab order, the ping table.
}

void CQUORIX_NET_CHECKDlg::SetUpTable(TableKind kind) {
  auto model = std::make_unique<ProbeTableModel>(Table(kind));
  SetUpReportView(View(kind), *model);
  // Rows the session adds or removes from now on go through the model, so
  // the view hears of them.
  session_.SetRowEditor(kind, model.get());
  models_[kind] = std::move(model);
}

void CQUORIX_NET_CHECKDlg::FillRows() {
  if (options_.defaultRows) session_.AddDefaultRows();
  const PerTable<const std::vector<std::string>*> extra{&options_.dnsRows, &options_.pingRows, &options_.gameRows};
  for (const TableKind kind : kAllTables) session_.AppendRows(kind, *extra[kind]);
}

void CQUORIX_NET_CHECKDlg::ConnectControls() {
  for (const Route& route : kButtonRoutes) {
    connect(ControlAs<QPushButton>(route.id), &QPushButton::clicked, this, route.handler);
  }
  for (QAction* action : findChildren<QMenuBar*>().front()->findChildren<QAction*>()) {
    bool numeric = false;
    const int command = action->objectName().toInt(&numeric);
    if (numeric) connect(action, &QAction::triggered, this, [this, command] { OnCommand(command); });
  }
  for (const TableKind kind : kAllTables) {
    connect(&View(kind), &QWidget::customContextMenuRequested, this,
            [this, kind](const QPoint& position) { OnTableRightClick(kind, position); });
  }
  connect(&DnsServerEdit(), &QLineEdit::textChanged, this, &CQUORIX_NET_CHECKDlg::OnServerEditChanged);
  session_.DnsServer().SetChangedListener([this](const std::string&) { OnWorkerSetServerText(); });
}

void CQUORIX_NET_CHECKDlg::ConnectGpuLabels() {
  // Both labels start as "0" and keep their text until a reading succeeds.
  gpuCount_.StoreText("0");
  gpuUsage_.StoreText("0");
  gpuCount_.SetChangedListener([this](const std::string& text) { ShowOnLabel(id::kGpuCountLabel, text); });
  gpuUsage_.SetChangedListener([this](const std::string& text) { ShowOnLabel(id::kGpuUsageLabel, text); });
}

void CQUORIX_NET_CHECKDlg::ShowOnLabel(int id, const std::string& text) {
  // On the GPU worker's thread: the label is the GUI thread's, so the text
  // travels there in a queued call (one every few seconds).
  QMetaObject::invokeMethod(
      this, [this, id, shown = QString::fromStdString(text)] { ControlAs<QLabel>(id)->setText(shown); },
      Qt::QueuedConnection);
}

void CQUORIX_NET_CHECKDlg::StartWorkers() {
  // In this order: the three probe workers, then the GPU worker.
  session_.Start();
  gpuWorker_ = std::make_unique<GpuWorker>(gpuCount_, gpuUsage_, options_.gpu);
  gpuThread_.Start([worker = gpuWorker_.get()](std::stop_token stop) { worker->Run(std::move(stop)); });
}

bool CQUORIX_NET_CHECKDlg::StopWorkers(std::chrono::milliseconds limit) {
  using std::chrono::milliseconds;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  session_.RequestStop();
  gpuThread_.RequestStop();
  const bool probesEnded = session_.StopWithin(limit);
  const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
  const bool gpuEnded = gpuThread_.StopWithin(std::max(left, milliseconds(0)));
  return probesEnded && gpuEnded;
}

QTableView& CQUORIX_NET_CHECKDlg::View(TableKind kind) const {
  return *ControlAs<QTableView>(kTableControlIds[kind]);
}

QLineEdit& CQUORIX_NET_CHECKDlg::DnsServerEdit() const { return *ControlAs<QLineEdit>(id::kDnsServerEdit); }

bool CQUORIX_NET_CHECKDlg::OnCommand(int command) {
  for (const Route& route : kCommandRoutes) {
    if (route.id == command) {
      (this->*route.handler)();
      return true;
    }
  }
  return false;
}

void CQUORIX_NET_CHECKDlg::accept() {}

void CQUORIX_NET_CHECKDlg::OnServerEditChanged(const QString& text) {
  session_.DnsServer().StoreText(text.toStdString());
  OnRetestDns();
}

void CQUORIX_NET_CHECKDlg::OnWorkerSetServerText() {
  // On the DNS worker's thread: the box is the GUI thread's, so the new text
  // travels there in a queued call, at most one pending at a time.
  if (serverTextPending_.exchange(true)) return;
  QMetaObject::invokeMethod(this, "ShowWorkerServerText", Qt::QueuedConnection);
}

void CQUORIX_NET_CHECKDlg::ShowWorkerServerText() {
  serverTextPending_.store(false);
  const QString text = QString::fromStdString(session_.DnsServer().Text());
  QLineEdit& edit = DnsServerEdit();
  if (edit.text() != text) edit.setText(text);  // a change of the box restarts the DNS counters
}

}  // namespace qnc
