#pragma once

// The configuration file: the host texts of the DNS, ping and game tables in one small text file.
//
// Layout, every line ending in CR LF when written (CR LF or LF alone when read):
//   #headv1===            the first line must contain "#head"
//   <DNS rows>            one host text per line
//   #PING===              the first line containing "#PING" ends the DNS section
//   <ping rows>
//   #GAME===              the first line containing "#GAME" ends the ping section
//   <game rows>           up to a line containing "#END" (never written) or the end of the file
// Lines starting with "#" never become rows; empty lines do. Lines are read in pieces of at most 510 bytes.
//
// Bytes on disk are GBK (code page 936), so that Windows copies of the program read the same file; a file
// whose bytes are valid UTF-8 is read as UTF-8. Texts inside the program are UTF-8.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/model/table_kind.h"

namespace qnc {

// Host texts (UTF-8) of the three tables, top row first; the file holds them in kAllTables order.
using ConfigTables = PerTable<std::vector<std::string>>;

// What a read rebuilds. A table that the file reached gets its new rows, top row first as they will show:
// every loaded line goes to the top of its table, so a section a, b, c shows c, b, a. A table the file did not
// reach is nullopt and keeps its rows. accepted == false: the file was refused or unreadable, nothing changes.
struct LoadedConfig {
  bool accepted = false;
  PerTable<std::optional<std::vector<std::string>>> tables;
  bool operator==(const LoadedConfig&) const = default;
};

// Rebuilds the tables from the bytes of a configuration file. Pure; any bytes are safe.
LoadedConfig ParseConfig(std::span<const std::uint8_t> fileBytes);

// The largest configuration file read: a list of hosts is a few kilobytes.
inline constexpr std::size_t kMaxConfigFileBytes = 1024 * 1024;

// Reads the file at path and parses it. A file that cannot be read, is not a regular file (a folder, a FIFO, a
// device) or is larger than kMaxConfigFileBytes is not accepted, nor is one without its header line; whyRefused
// (when given) then gets a short phrase saying why, such as "it is not a regular file".
LoadedConfig ReadConfig(const std::string& path, std::string* whyRefused = nullptr);

// The bytes of a configuration file holding the tables, rows in the given order.
std::string FormatConfig(const ConfigTables& tables);

// Writes FormatConfig(tables) to path atomically: a temporary file in the same folder replaces the target by
// rename, so the old file stays whole when anything fails. Returns false on failure.
bool WriteConfig(const std::string& path, const ConfigTables& tables);

// The export and tray save: writes each table bottom row first, so that a later load (which puts every line on
// top) shows the tables in the order given here. The tables themselves are not touched.
bool SaveTablesForReload(const std::string& path, const ConfigTables& shownTopFirst);

// The fixed file loaded at start and saved from the tray (kept in the user's configuration folder).
inline constexpr const char* kConfigFileName = "Quorix测试工具.txt";
// The file name the export and import dialogs offer.
inline constexpr const char* kExportDefaultName = "Quorix测试工具配置.txt";

}  // namespace qnc
