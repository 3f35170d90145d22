#pragma once
#include <string_view>

#include "core/probe/probe_table.h"

namespace qnc {

// Inserts and deletes the rows of one table. The store does it on its own; a
// front end that presents the store routes these edits through its model, so
// that its views hear of every row that comes and goes.
class RowEditor {
 public:
  virtual ~RowEditor() = default;
  // Inserts a row with every cell empty but cell 0 and returns its identity.
  // An index outside 0..RowCount() appends.
  virtual RowId InsertRow(int index, std::string_view target) = 0;
  // Deletes the row at index together with its counters; false when there is none.
  virtual bool DeleteRow(int index) = 0;
  // Deletes every row together with its counters.
  virtual void DeleteAllRows() = 0;
};

}  // namespace qnc
