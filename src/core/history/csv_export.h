#pragma once
#include <span>
#include <string>
#include <string_view>

#include "core/model/table_kind.h"
#include "core/probe/sample.h"

namespace qnc {

// What "导出 CSV" offers as the file's name: the table's short name and the
// target ("game-lpl.qq.com_443.csv"), with every character that no file name may
// hold (/ \ : * ? " < > | and control characters) replaced by "_".
std::string CsvFileName(TableKind table, std::string_view target);

// The samples (oldest first) as a CSV file: the header line, then one line
// per sample (see core/probe/sample_csv.h).
std::string CsvText(TableKind table, std::string_view target, std::span<const Sample> samples);

// How an export went, in the words the window shows.
struct CsvExportResult {
  bool written = false;
  // "已导出 2 个样本到 PATH", or "导出失败：无法写入 PATH（REASON）".
  std::string message;
};

// Writes the samples to `path` (UTF-8) as CSV, whole or not at all, into a
// new file or in place of a regular one, flushed to the disk. A folder, a
// symbolic link, a FIFO or a device there is refused and left as it is (a
// plain file must not take its place, nor, through a link, some file
// elsewhere).
CsvExportResult ExportCsv(const std::string& path, TableKind table, std::string_view target,
                          std::span<const Sample> samples);

}  // namespace qnc
