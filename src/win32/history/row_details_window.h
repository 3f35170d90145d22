#pragma once
#include <windows.h>
// After windows.h:
#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "core/history/row_details_model.h"
#include "core/probe/table_store.h"
#include "win32/widgets/template_dialog.h"

namespace qnc {

// One row's details beside the main window: the latency chart of its samples
// (painted with GDI), their statistics, the recent failures and "导出 CSV"
// through the standard save dialog. It follows the row every second and
// closes once the row is gone. It runs modeless, inside the main window's run.
class RowDetailsWindow final : public TemplateDialog {
 public:
  // `closed` is called once the window is gone (the owner may then delete it).
  RowDetailsWindow(const TableStore& table, RowId row, std::function<void()> closed);
  ~RowDetailsWindow() override;

  // Opens the window over `owner`; false when it could not be made.
  bool Open(HWND owner, HINSTANCE resources);
  // Brings the window to the front, restored when minimised.
  void Raise() const;
  // Takes the row's new samples and shows them; closes when the row is gone.
  void Follow();

  // Writes the samples shown to `path` and says how that went in the window;
  // true when written.
  bool ExportCsv(const std::string& path);

 private:
  void OnInitDialog() override;
  void OnCommand(int id, int notifyCode, HWND control) override;
  std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnClosed() override;

  void SetUpFailureList();
  void ShowModel();
  void ChooseExportFile();
  void PaintChart(const DRAWITEMSTRUCT& item) const;
  void FillFailureCell(NMLVDISPINFOW& info) const;

  const TableStore& table_;
  const RowId row_;
  RowDetailsModel model_;
  std::function<void()> closed_;
  std::vector<FailureRow> failures_;
  bool exportFailed_ = false;
  HFONT boldFont_ = nullptr;
};

}  // namespace qnc
