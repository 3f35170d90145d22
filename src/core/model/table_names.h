#pragma once
#include <string_view>

#include "core/model/table_kind.h"

namespace qnc {

// A table's short name in the program's words: "DNS表", "ping表", "游戏表".
std::string_view TableName(TableKind table);

}  // namespace qnc
