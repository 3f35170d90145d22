#include "core/probe/table_schema.h"

#include <array>

#include "core/probe/probe_table.h"

namespace qnc {

namespace {

constexpr std::array<ColumnSchema, 6> kDnsColumns{{{"域名", "target"},
                                                   {"延时", "latency"},
                                                   {"平均延迟", "average"},
                                                   {"丢包率", "loss"},
                                                   {"解析结果", "address"},
                                                   {"质量", "quality"}}};
constexpr std::array<ColumnSchema, 5> kPingColumns{
    {{"域名或者ip", "target"}, {"延时", "latency"}, {"平均延迟", "average"}, {"丢包率", "loss"}, {"质量", "quality"}}};
constexpr std::array<ColumnSchema, 6> kGameColumns{{{"域名或者ip", "target"},
                                                    {"延时", "latency"},
                                                    {"平均延迟", "average"},
                                                    {"丢包率", "loss"},
                                                    {"质量", "quality"},
                                                    {"描述", "description"}}};

constexpr PerTable<TableSchema> kSchemas{
    {"dns", "DNS table", kDnsColumns, cell::kDnsQuality},
    {"ping", "ping table", kPingColumns, cell::kQuality},
    {"game", "game table (TCP connect)", kGameColumns, cell::kQuality},
};

}  // namespace

const TableSchema& SchemaOf(TableKind kind) { return kSchemas[kind]; }

}  // namespace qnc
