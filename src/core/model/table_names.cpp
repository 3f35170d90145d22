#include "core/model/table_names.h"

namespace qnc {

std::string_view TableName(TableKind table) {
  switch (table) {
    case TableKind::kDns:
      return "DNS表";
    case TableKind::kPing:
      return "ping表";
    case TableKind::kGame:
      break;
  }
  return "游戏表";
}

}  // namespace qnc
