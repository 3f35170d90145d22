#pragma once

// Helpers shared by the configuration file tests.

#include <cstdint>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/config/config_file.h"

namespace qnc::test {

using Rows = std::vector<std::string>;

inline LoadedConfig Parse(std::string_view bytes) {
  return ParseConfig(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

inline Rows Reversed(Rows rows) { return Rows(rows.rbegin(), rows.rend()); }

inline std::string Repeat(std::string_view text, std::size_t times) {
  std::string out;
  for (std::size_t i = 0; i < times; ++i) out += text;
  return out;
}

}  // namespace qnc::test

namespace qnc {

inline void PrintTo(const LoadedConfig& loaded, std::ostream* out) {
  auto print = [out](const char* name, const std::optional<std::vector<std::string>>& rows) {
    *out << ' ' << name << '=';
    if (!rows) {
      *out << "untouched";
      return;
    }
    *out << '{';
    constexpr std::size_t kShownRows = 10;
    for (std::size_t i = 0; i < rows->size() && i < kShownRows; ++i) {
      const std::string& row = (*rows)[i];
      *out << '"' << (row.size() > 40 ? row.substr(0, 40) + "..." : row) << "\"(" << row.size() << " bytes) ";
    }
    if (rows->size() > kShownRows) *out << "... " << rows->size() << " rows ";
    *out << '}';
  };
  *out << (loaded.accepted ? "accepted" : "refused");
  constexpr PerTable<const char*> kNames{"dns", "ping", "game"};
  for (const TableKind kind : kAllTables) print(kNames[kind], loaded.tables[kind]);
}

}  // namespace qnc
