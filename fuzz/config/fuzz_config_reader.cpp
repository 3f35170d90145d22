// Feeds arbitrary bytes to the configuration file reader. Besides memory errors it checks what the rest of
// the program relies on: every loaded row is valid UTF-8 without NUL, tables are reached in section order,
// and writing the loaded tables gives a file that reads back to them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/config/config_file.h"
#include "core/config/text_encoding.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckRows(const std::optional<std::vector<std::string>>& rows) {
  if (!rows) return;
  for (const std::string& row : *rows) Check(qnc::IsValidUtf8(row) && row.find('\0') == std::string::npos);
}

// A row comes back from a write unchanged unless the writer had to mend it or the reader would take it for
// something else: a line break, a "#" first, a section marker, or more than one piece.
bool SurvivesAWrite(const std::string& row) {
  return row.find_first_of("\r\n") == std::string::npos && !row.starts_with('#') &&
         row.find("#PING") == std::string::npos && row.find("#GAME") == std::string::npos &&
         row.find("#END") == std::string::npos && row.size() <= 510;
}

bool AllSurvive(const std::vector<std::string>& rows) {
  for (const std::string& row : rows) {
    if (!SurvivesAWrite(row)) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const qnc::LoadedConfig loaded = qnc::ParseConfig(std::span(data, size));
  const auto& dns = loaded.tables[qnc::TableKind::kDns];
  const auto& ping = loaded.tables[qnc::TableKind::kPing];
  const auto& game = loaded.tables[qnc::TableKind::kGame];
  if (!loaded.accepted) {
    Check(!dns && !ping && !game);
    return 0;
  }
  Check(dns.has_value());
  Check(ping.has_value() || !game.has_value());
  for (const auto& rows : loaded.tables) CheckRows(rows);

  const qnc::ConfigTables shown{*dns, ping.value_or(std::vector<std::string>{}),
                                game.value_or(std::vector<std::string>{})};
  const std::string file = qnc::FormatConfig(shown);
  for (const auto& rows : shown) {
    if (!AllSurvive(rows)) return 0;
  }
  // No text is longer in GBK than in UTF-8, so rows of at most 510 bytes are never cut: the file written
  // must load each section in reverse row order.
  const qnc::LoadedConfig again =
      qnc::ParseConfig(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()));
  Check(again.accepted);
  for (const qnc::TableKind kind : qnc::kAllTables) {
    const auto& rows = again.tables[kind];
    Check(rows.has_value() && std::equal(rows->rbegin(), rows->rend(), shown[kind].begin(), shown[kind].end()));
  }
  return 0;
}
