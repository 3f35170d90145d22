#include "core/history/csv_export.h"

#include <filesystem>
#include <optional>
#include <system_error>

#include "core/config/file_io.h"
#include "core/probe/sample_csv.h"
#include "core/probe/table_schema.h"
#include "platform/utf8_path.h"

namespace qnc {

namespace {

constexpr std::string_view kUnsafeInFileNames = "/\\:*?\"<>|";

// Why `path` may not be exported to, or nothing: only a new file or a regular
// one is written. A FIFO, a device node, a folder or a symbolic link is left
// as it is rather than replaced by a regular file (or, through a link, some
// file elsewhere).
std::optional<std::string_view> RefusedTarget(const std::string& path) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::symlink_status(PathFromUtf8(path), error);
  if (error && status.type() != std::filesystem::file_type::not_found) return "无法读取其状态";
  switch (status.type()) {
    case std::filesystem::file_type::not_found:
    case std::filesystem::file_type::regular:
      return std::nullopt;
    case std::filesystem::file_type::directory:
      return "这是一个文件夹";
    case std::filesystem::file_type::symlink:
      return "这是一个符号链接";
    default:
      return "这不是普通文件";
  }
}

}  // namespace

std::string CsvFileName(TableKind table, std::string_view target) {
  std::string name = std::string(SchemaOf(table).name) + "-" + std::string(target);
  // Bytes of a multi-byte UTF-8 character are all 0x80 or above: only ASCII
  // characters are replaced.
  for (char& each : name) {
    if (kUnsafeInFileNames.find(each) != std::string_view::npos || static_cast<unsigned char>(each) < 0x20) each = '_';
  }
  return name + ".csv";
}

std::string CsvText(TableKind table, std::string_view target, std::span<const Sample> samples) {
  std::string text(SampleCsvHeader());
  for (const Sample& sample : samples) text += FormatSampleCsv(table, target, sample);
  return text;
}

CsvExportResult ExportCsv(const std::string& path, TableKind table, std::string_view target,
                          std::span<const Sample> samples) {
  const std::optional<std::string_view> refusal = RefusedTarget(path);
  // The durable write puts a complete, flushed copy in the file's place in one
  // step, so a failure leaves whatever was there before.
  if (refusal || !WriteFileAtomically(path, CsvText(table, target, samples))) {
    return {false, "导出失败：无法写入 " + path + "（" + std::string(refusal.value_or("无法写入该位置")) + "）"};
  }
  return {true, "已导出 " + std::to_string(samples.size()) + " 个样本到 " + path};
}

}  // namespace qnc
