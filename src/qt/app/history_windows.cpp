#include "qt/app/history_windows.h"

#include <QAbstractItemModel>
#include <QWidget>

#include "core/history/diagnosis_report.h"

namespace qnc {

namespace {

void Raise(QWidget& window) {
  window.show();
  window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
  window.raise();
  window.activateWindow();
}

}  // namespace

HistoryWindows::HistoryWindows(QWidget& owner, ProbeSession& session, std::string gatewayAddress)
    : owner_(owner), session_(session), gatewayAddress_(std::move(gatewayAddress)) {}

HistoryWindows::~HistoryWindows() {
  for (auto& [key, window] : details_) delete window.data();
  delete diagnosis_.data();
}

RowDetailsWindow* HistoryWindows::OpenRowDetails(TableKind table, int index) {
  const RowRef row = session_.Table(table).RowAt(index);
  if (!row) return nullptr;
  // Closed windows leave null entries behind.
  std::erase_if(details_, [](const auto& entry) { return entry.second.isNull(); });
  QPointer<RowDetailsWindow>& window = details_[{table, row.id}];
  if (window.isNull()) window = new RowDetailsWindow(session_.Table(table), row.id, &owner_);
  Raise(*window);
  return window;
}

RowDetailsWindow* HistoryWindows::RowDetails(TableKind table, RowId row) const {
  const auto found = details_.find({table, row});
  return found == details_.end() ? nullptr : found->second.data();
}

DiagnosisWindow* HistoryWindows::OpenDiagnosis() {
  if (diagnosis_.isNull()) {
    diagnosis_ = new DiagnosisWindow([this] { return CurrentState(); }, &owner_);
    diagnosis_->setAttribute(Qt::WA_DeleteOnClose);
  } else {
    diagnosis_->Run();
  }
  Raise(*diagnosis_);
  return diagnosis_;
}

void HistoryWindows::WatchRowRemovals(TableKind table, QAbstractItemModel& model) {
  QObject::connect(&model, &QAbstractItemModel::rowsRemoved, &owner_, [this, table] { CheckRowsOf(table); });
  QObject::connect(&model, &QAbstractItemModel::modelReset, &owner_, [this, table] { CheckRowsOf(table); });
}

void HistoryWindows::CheckRowsOf(TableKind table) {
  for (auto& [key, window] : details_) {
    if (key.first == table && !window.isNull()) window->Follow();  // closes itself when its row is gone
  }
}

NetworkState HistoryWindows::CurrentState() const {
  return SessionNetworkState(session_, gatewayAddress_, std::chrono::system_clock::now());
}

}  // namespace qnc
