#include "app/main_window.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <array>

#include "app/app_images.h"
#include "app/config_file_location.h"
#include "app/control_ids.h"
#include "app/menus.h"
#include "app/modal_runners.h"
#include "app/ping_permission_notice.h"
#include "app/report_view.h"
#include "app/window_templates.h"
#include "gpu/gpu_worker.h"
#include "platform/ip_config.h"
#include "probe/default_rows.h"
#include "probe/dns_worker.h"
#include "probe/game_worker.h"
#include "probe/ping_worker.h"

namespace qnc {

namespace {

constexpr Qt::WindowFlags kMainWindowFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                             Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint |
                                             Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;

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

int TableControlId(TableKind kind) {
  switch (kind) {
    case TableKind::kDns:
      return id::kDnsTable;
    case TableKind::kPing:
      return id::kPingTable;
    case TableKind::kGame:
      break;
  }
  return id::kGameTable;
}

}  // namespace

CQUORIX_NET_CHECKDlg::CQUORIX_NET_CHECKDlg(MainWindowOptions options, QWidget* parent)
    : TemplateDialog(MainDialogTemplate(), parent, kMainWindowFlags),
      options_(std::move(options)),
      configFilePath_(options_.configFilePath.empty() ? FixedConfigFilePath() : options_.configFilePath) {
  options_.modals = CompleteModalRunners(std::move(options_.modals));
  OnInitDialog();
  NoticeIfPingsCannotBeSent(*this, Model(TableKind::kPing), options_.icmpUnavailableReason);
}

CQUORIX_NET_CHECKDlg::~CQUORIX_NET_CHECKDlg() {
  workers_.StopAndJoin();
  dnsServer_.SetChangedListener(nullptr);
  gpuCount_.SetChangedListener(nullptr);
  gpuUsage_.SetChangedListener(nullptr);
  // The controls outlive this object's members; nothing they still emit while
  // they go may reach it.
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void CQUORIX_NET_CHECKDlg::OnInitDialog() {
  AttachMenuBar(BuildMainMenuBar(this));
  // A program cannot add items to the system menu that the window manager
  // draws here, so the About box opens from its button only.
  setWindowIcon(AppIcon());

  SetUpTable(TableKind::kDns, id::kDnsTable);
  SetUpTable(TableKind::kPing, id::kPingTable);
  SetUpTable(TableKind::kGame, id::kGameTable);
  FillRows();
  ConnectControls();
  ConnectGpuLabels();

  resolverLock_ = std::make_unique<ResolverLock>();

  // The fixed file replaces the default rows of the tables it holds.
  ApplyConfig(ReadConfig(configFilePath_));

  if (options_.startWorkers) StartWorkers();
  // Keyboard focus stays with the first control in tab order, the ping table.
}

void CQUORIX_NET_CHECKDlg::SetUpTable(TableKind kind, int controlId) {
  auto model = std::make_unique<ProbeTableModel>(Table(kind));
  SetUpReportView(*ControlAs<QTableView>(controlId), *model);
  switch (kind) {
    case TableKind::kDns:
      dnsModel_ = std::move(model);
      break;
    case TableKind::kPing:
      pingModel_ = std::move(model);
      break;
    case TableKind::kGame:
      gameModel_ = std::move(model);
      break;
  }
}

void CQUORIX_NET_CHECKDlg::FillRows() {
  for (const TableKind kind : {TableKind::kDns, TableKind::kPing, TableKind::kGame}) {
    ProbeTableModel& model = Model(kind);
    if (options_.defaultRows) {
      const std::vector<DefaultRow> rows =
          kind == TableKind::kDns    ? DefaultDnsRows()
          : kind == TableKind::kPing ? DefaultPingRows(FindGatewayAddress(options_.routeTablePath))
                                     : DefaultGameRows();
      for (const DefaultRow& row : rows) {
        model.AppendRow(row.target);
        for (const auto& [column, text] : row.cells) model.SetCell(model.rowCount() - 1, column, text);
      }
    }
    const auto& extra = kind == TableKind::kDns    ? options_.dnsRows
                        : kind == TableKind::kPing ? options_.pingRows
                                                   : options_.gameRows;
    for (const std::string& target : extra) model.AppendRow(target);
  }
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
  for (const TableKind kind : {TableKind::kDns, TableKind::kPing, TableKind::kGame}) {
    connect(&View(kind), &QWidget::customContextMenuRequested, this,
            [this, kind](const QPoint& position) { OnTableRightClick(kind, position); });
  }
  connect(&DnsServerEdit(), &QLineEdit::textChanged, this, &CQUORIX_NET_CHECKDlg::OnServerEditChanged);
  dnsServer_.SetChangedListener([this](const std::string&) { OnWorkerSetServerText(); });
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
  dnsWorker_ = std::make_unique<DnsWorker>(dnsTable_, dnsServer_, resetRequest_, options_.dns);
  pingWorker_ = std::make_unique<PingWorker>(pingTable_, resetRequest_, *resolverLock_, options_.ping);
  gameWorker_ = std::make_unique<GameWorker>(gameTable_, *resolverLock_, options_.game);
  gpuWorker_ = std::make_unique<GpuWorker>(gpuCount_, gpuUsage_, options_.gpu);
  workers_.Start([worker = dnsWorker_.get()](std::stop_token stop) { worker->Run(std::move(stop)); });
  workers_.Start([worker = pingWorker_.get()](std::stop_token stop) { worker->Run(std::move(stop)); });
  workers_.Start([worker = gameWorker_.get()](std::stop_token stop) { worker->Run(std::move(stop)); });
  workers_.Start([worker = gpuWorker_.get()](std::stop_token stop) { worker->Run(std::move(stop)); });
}

bool CQUORIX_NET_CHECKDlg::StopWorkers(std::chrono::milliseconds limit) { return workers_.StopWithin(limit); }

TableStore& CQUORIX_NET_CHECKDlg::Table(TableKind kind) {
  switch (kind) {
    case TableKind::kDns:
      return dnsTable_;
    case TableKind::kPing:
      return pingTable_;
    case TableKind::kGame:
      break;
  }
  return gameTable_;
}

ProbeTableModel& CQUORIX_NET_CHECKDlg::Model(TableKind kind) {
  switch (kind) {
    case TableKind::kDns:
      return *dnsModel_;
    case TableKind::kPing:
      return *pingModel_;
    case TableKind::kGame:
      break;
  }
  return *gameModel_;
}

QTableView& CQUORIX_NET_CHECKDlg::View(TableKind kind) const {
  return *ControlAs<QTableView>(TableControlId(kind));
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
  dnsServer_.StoreText(text.toStdString());
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
  const QString text = QString::fromStdString(dnsServer_.Text());
  QLineEdit& edit = DnsServerEdit();
  if (edit.text() != text) edit.setText(text);  // a change of the box restarts the DNS counters
}

}  // namespace qnc
