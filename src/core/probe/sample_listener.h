#pragma once
#include <functional>
#include <string>

#include "core/probe/probe_table.h"
#include "core/probe/sample.h"

namespace qnc {

// Hears of every sample as its probe finishes, on the thread that probed (with
// parallel probing, several threads may call it at once). Not called for a
// row deleted while it was being probed.
using SampleListener = std::function<void(TableKind table, RowId row, const std::string& target, const Sample& sample)>;

}  // namespace qnc
