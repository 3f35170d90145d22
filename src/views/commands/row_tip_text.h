#pragma once
#include <string>
#include <string_view>

#include "core/probe/table_store.h"

namespace qnc {

// The tooltip of the row now at `index`: every failure shows as "超时" in the
// cells, so the tip says why the row's latest probe failed, above the notice
// the window gives every row of the table (`tableNotice`, such as why pings
// cannot be sent; empty when none). Empty when there is nothing to say.
std::string RowTipText(const TableStore& table, int index, std::string_view tableNotice);

}  // namespace qnc
