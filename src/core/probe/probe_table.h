#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "core/model/table_kind.h"
#include "core/probe/row_counters.h"

namespace qnc {

// Cell positions. Cell 0 holds the target in every table.
namespace cell {
inline constexpr int kTarget = 0;
inline constexpr int kLatency = 1;
inline constexpr int kAverage = 2;
inline constexpr int kLoss = 3;
inline constexpr int kDnsAddress = 4;  // DNS table: the resolved address
inline constexpr int kDnsQuality = 5;  // DNS table: the quality word
inline constexpr int kQuality = 4;     // ping and game tables: the quality word
inline constexpr int kGameDescription = 5;
}  // namespace cell

// A row's identity, stable while the row exists; 0 names no row.
using RowId = std::uint64_t;

// What a worker holds of the row it is probing: its identity and its counters.
// The counters stay valid after the row is deleted; results for a deleted row
// then reach no table.
struct RowRef {
  RowId id = 0;
  std::shared_ptr<RowCounters> counters;
  explicit operator bool() const { return id != 0; }
};

// One measured table as the workers see it. Every single operation is atomic
// with respect to row inserts and deletes. A row that no longer exists reads
// as an empty text and ignores writes.
class ProbeTable {
 public:
  virtual ~ProbeTable() = default;

  virtual TableKind Kind() const = 0;
  virtual int RowCount() const = 0;
  // The row now at this index; an empty reference past the end.
  virtual RowRef RowAt(int index) const = 0;
  virtual std::string Cell(RowId row, int column) const = 0;
  virtual void SetCell(RowId row, int column, std::string_view text) = 0;
  // Calls visit for the counters of every row, in row order.
  virtual void ForEachRowCounters(const std::function<void(RowCounters&)>& visit) = 0;
};

// Sets every counter of every row of the table to 0; the cells keep their texts.
void ResetCounters(ProbeTable& table);

}  // namespace qnc
