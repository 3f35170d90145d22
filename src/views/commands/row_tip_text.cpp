#include "views/commands/row_tip_text.h"

#include <vector>

#include "core/probe/failure_reason.h"

namespace qnc {

std::string RowTipText(const TableStore& table, int index, std::string_view tableNotice) {
  std::string text;
  if (const RowRef row = table.RowAt(index); row) {
    const std::vector<Sample> last = row.counters->history.Newest(1);
    if (!last.empty() && !last.front().Answered()) {
      text = "最近一次测量失败：";
      text += FailureText(last.front().outcome);
    }
  }
  if (!tableNotice.empty()) {
    if (!text.empty()) text += "\n\n";
    text += tableNotice;
  }
  return text;
}

}  // namespace qnc
