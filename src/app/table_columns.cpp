#include "app/table_columns.h"

namespace qnc {

const std::vector<TableColumn>& TableColumns(TableKind kind) {
  static const std::vector<TableColumn> dns{{"域名", 150, true},     {"延时", 100, false},
                                            {"平均延迟", 100, false}, {"丢包率", 160, false},
                                            {"解析结果", 120, false}, {"质量", 90, false}};
  static const std::vector<TableColumn> ping{{"域名或者ip", 150, true},
                                             {"延时", 100, false},
                                             {"平均延迟", 100, false},
                                             {"丢包率", 250, false},
                                             {"质量", 190, false}};
  static const std::vector<TableColumn> game{{"域名或者ip", 200, true}, {"延时", 80, false},
                                             {"平均延迟", 100, false},  {"丢包率", 110, false},
                                             {"质量", 80, false},       {"描述", 190, false}};
  switch (kind) {
    case TableKind::kDns:
      return dns;
    case TableKind::kPing:
      return ping;
    case TableKind::kGame:
      break;
  }
  return game;
}

}  // namespace qnc
