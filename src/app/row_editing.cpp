// The main window's row editing and counter resets.
#include <QCursor>
#include <QItemSelectionModel>
#include <QMenu>
#include <QTableView>

#include "app/input_boxes.h"
#include "app/main_window.h"
#include "app/menus.h"

namespace qnc {

void CQUORIX_NET_CHECKDlg::OnTableRightClick(TableKind table, const QPoint& /*position*/) {
  // Opens wherever the click lands, on a row or below the last one; the chosen
  // command runs once the menu has closed.
  const std::unique_ptr<QMenu> menu = BuildTableMenu(table, this);
  const QAction* chosen = menu->exec(QCursor::pos());
  if (chosen != nullptr) OnCommand(chosen->objectName().toInt());
}

void CQUORIX_NET_CHECKDlg::OnAddDomain() {
  CAddDomainDlg box(this);
  if (box.exec() != QDialog::Accepted) return;
  Model(TableKind::kDns).AppendRow(box.m_domain);
}

void CQUORIX_NET_CHECKDlg::OnAddPing() {
  CAddPingDlg box(this);
  if (box.exec() != QDialog::Accepted) return;
  Model(TableKind::kPing).AppendRow(box.m_host);
}

void CQUORIX_NET_CHECKDlg::OnAddGameServer() {
  CGameDlg box(this);
  if (box.exec() != QDialog::Accepted) return;
  ProbeTableModel& model = Model(TableKind::kGame);
  model.AppendRow(box.m_server);
  model.SetCell(model.rowCount() - 1, cell::kGameDescription, box.m_description);
}

int CQUORIX_NET_CHECKDlg::SelectionMark(TableKind kind) const {
  const QItemSelectionModel* selection = View(kind).selectionModel();
  const QModelIndex current = selection->currentIndex();
  // A view makes its first row current when it takes the focus, without
  // selecting it; only a selected current row marks the user's choice.
  if (!current.isValid() || !selection->isRowSelected(current.row(), {})) return -1;
  return current.row();
}

void CQUORIX_NET_CHECKDlg::DeleteSelectedRow(TableKind kind) {
  const int mark = SelectionMark(kind);
  if (mark < 0) return;
  // The row's counters go with it; every later row keeps its own.
  Model(kind).RemoveRow(mark);
}

void CQUORIX_NET_CHECKDlg::OnDeleteDomain() { DeleteSelectedRow(TableKind::kDns); }

void CQUORIX_NET_CHECKDlg::OnDeletePing() { DeleteSelectedRow(TableKind::kPing); }

void CQUORIX_NET_CHECKDlg::OnDeleteGameServer() { DeleteSelectedRow(TableKind::kGame); }

void CQUORIX_NET_CHECKDlg::OnRetestDns() { ResetCounters(Table(TableKind::kDns)); }

void CQUORIX_NET_CHECKDlg::OnRetestPing() { ResetCounters(Table(TableKind::kPing)); }

}  // namespace qnc
