#include "qt/app/main_window.h"

#include <QCursor>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>

#include "core/probe/dns_worker.h"
#include "platform/ip_config.h"
#include "qt/app/app_images.h"
#include "qt/app/config_file_location.h"
#include "qt/app/menus.h"
#include "qt/app/ping_permission_notice.h"
#include "qt/app/report_view.h"
#include "views/templates/control_ids.h"
#include "views/templates/window_templates.h"

namespace qnc {

namespace {

constexpr PerTable<int> kTableControlIds{id::kDnsTable, id::kPingTable, id::kGameTable};

}  // namespace

CQUORIX_NET_CHECKDlg::CQUORIX_NET_CHECKDlg(MainWindowOptions options, QWidget* parent)
    : TemplateDialog(MainDialogTemplate(), parent),
      options_(std::move(options)),
      core_(options_, options_.gpu),
      ui_(
          *this, [this](TableKind kind) { return SelectionMark(kind); }, options_.lanTest),
      commands_(core_.Session(), ui_,
                options_.configFilePath.empty() ? FixedConfigFilePath() : options_.configFilePath) {
  OnInitDialog();
  NoticeIfPingsCannotBeSent(*this, Model(TableKind::kPing), options_.icmpUnavailableReason);
}

CQUORIX_NET_CHECKDlg::~CQUORIX_NET_CHECKDlg() {
  core_.StopAndJoin();
  core_.StopListening();
  for (const TableKind kind : kAllTables) core_.Session().SetRowEditor(kind, nullptr);
  // The controls outlive this object's members; nothing they still emit while
  // they go may reach it.
  for (QObject* child : findChildren<QObject*>()) child->disconnect(this);
}

void CQUORIX_NET_CHECKDlg::OnInitDialog() {
  // A program cannot add items to the system menu that the window manager
  // draws here, so the About box opens from its button only.
  setWindowIcon(AppIcon());

  history_ = std::make_unique<HistoryWindows>(*this, core_.Session(), FindGatewayAddress(options_.routeTablePath));
  for (const TableKind kind : kAllTables) SetUpTable(kind);
  FillRows();
  ConnectControls();
  ListenToWorkers();

  // The fixed file replaces the default rows of the tables it holds.
  commands_.LoadFixedFile();

  if (options_.startWorkers) core_.StartWorkers();
  // Keyboard focus stays with the first control in tab order, the ping table.
}

void CQUORIX_NET_CHECKDlg::SetUpTable(TableKind kind) {
  auto model = std::make_unique<ProbeTableModel>(Table(kind));
  SetUpReportView(View(kind), *model);
  // Rows the session adds or removes from now on go through the model, so
  // the view hears of them.
  core_.Session().SetRowEditor(kind, model.get());
  history_->WatchRowRemovals(kind, *model);
  models_[kind] = std::move(model);
}

void CQUORIX_NET_CHECKDlg::FillRows() {
  ProbeSession& session = core_.Session();
  if (options_.defaultRows) session.AddDefaultRows();
  const PerTable<const std::vector<std::string>*> extra{&options_.dnsRows, &options_.pingRows, &options_.gameRows};
  for (const TableKind kind : kAllTables) session.AppendRows(kind, *extra[kind]);
}

void CQUORIX_NET_CHECKDlg::ConnectControls() {
  ConnectButton(id::kConfirmDnsButton, &WindowCommands::RetestDns);
  ConnectButton(id::kRetestPingButton, &WindowCommands::RetestPing);
  ConnectButton(id::kRetestDnsButton, &WindowCommands::RetestDns);
  ConnectButton(id::kExportButton, &WindowCommands::ExportConfig);
  ConnectButton(id::kImportButton, &WindowCommands::ImportConfig);
  connect(ControlAs<QPushButton>(id::kAboutButton), &QPushButton::clicked, this, &CQUORIX_NET_CHECKDlg::OnAbout);
  connect(ControlAs<QPushButton>(id::kPubgButton), &QPushButton::clicked, this, &CQUORIX_NET_CHECKDlg::OnPubgPage);
  connect(ControlAs<QPushButton>(id::kLolStatusButton), &QPushButton::clicked, this,
          &CQUORIX_NET_CHECKDlg::OnLolStatusPage);
  ConnectMainMenuBar(*findChildren<QMenuBar*>().front(), commands_, [this] { history_->OpenDiagnosis(); });
  for (const TableKind kind : kAllTables) {
    connect(&View(kind), &QWidget::customContextMenuRequested, this,
            [this, kind](const QPoint& position) { OnTableRightClick(kind, position); });
    connect(&View(kind), &QAbstractItemView::doubleClicked, this,
            [this, kind](const QModelIndex& index) { history_->OpenRowDetails(kind, index.row()); });
  }
  connect(&DnsServerEdit(), &QLineEdit::textChanged, this, [this](const QString& text) {
    commands_.DnsServerEdited(text.toStdString());
    MarkServerBox(text);
  });
}

void CQUORIX_NET_CHECKDlg::ListenToWorkers() {
  // The notices come on the workers' threads; the box and the labels are the
  // GUI thread's, so each travels there in a queued call.
  core_.Listen(WorkerNotices{
      .serverTextChanged = [this] { workerCalls_->Post([this] { ShowWorkerServerText(); }); },
      .gpuLabelChanged =
          [this](int label, const std::string& text) {
            workerCalls_->Post(
                [this, label, shown = QString::fromStdString(text)] { ControlAs<QLabel>(label)->setText(shown); });
          },
  });
}

void CQUORIX_NET_CHECKDlg::MarkServerBox(const QString& text) {
  // The box turns red and says why, and so does every DNS row, whose figures
  // stand still until the box names a server again.
  const QString problem = QString::fromStdString(ServerBoxProblem(text.toStdString()));
  QLineEdit& edit = DnsServerEdit();
  QPalette palette = edit.parentWidget()->palette();
  if (!problem.isEmpty()) palette.setColor(QPalette::Base, QColor::fromRgba(kInvalidServerBoxColour));
  edit.setPalette(palette);
  edit.setToolTip(problem);
  Model(TableKind::kDns).SetRowToolTip(problem);
}

void CQUORIX_NET_CHECKDlg::ConnectButton(int id, void (WindowCommands::*command)()) {
  connect(ControlAs<QPushButton>(id), &QPushButton::clicked, this, [this, command] { (commands_.*command)(); });
}

QTableView& CQUORIX_NET_CHECKDlg::View(TableKind kind) const { return *ControlAs<QTableView>(kTableControlIds[kind]); }

QLineEdit& CQUORIX_NET_CHECKDlg::DnsServerEdit() const { return *ControlAs<QLineEdit>(id::kDnsServerEdit); }

int CQUORIX_NET_CHECKDlg::SelectionMark(TableKind kind) const {
  const QItemSelectionModel* selection = View(kind).selectionModel();
  const QModelIndex current = selection->currentIndex();
  // A view makes its first row current when it takes the focus, without
  // selecting it; only a selected current row marks the user's choice.
  if (!current.isValid() || !selection->isRowSelected(current.row(), {})) return -1;
  return current.row();
}

void CQUORIX_NET_CHECKDlg::OnTableRightClick(TableKind table, const QPoint& /*position*/) {
  // Opens wherever the click lands, on a row or below the last one.
  const std::unique_ptr<QMenu> menu = BuildTableMenu(table, this, commands_);
  menu->exec(QCursor::pos());
}

void CQUORIX_NET_CHECKDlg::accept() {}

void CQUORIX_NET_CHECKDlg::ShowWorkerServerText() {
  const QString text = QString::fromStdString(core_.TakeServerText());
  QLineEdit& edit = DnsServerEdit();
  if (edit.text() != text) edit.setText(text);
  MarkServerBox(text);  // also when the system names no server and the box stays empty
}

}  // namespace qnc
