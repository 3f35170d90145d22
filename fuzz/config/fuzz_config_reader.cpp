// Feeds arbitrary bytes to the configuration file reader. Besides memory errors it checks what the rest of
// the program relies on: every loaded row is valid UTF-8 without NUL, tables are reached in section order,
// and writing the loaded tables gives a file that reads back to them.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <optional>
#include <string>
#include <vector>

#include "config/config_file.h"
#include "config/text_encoding.h"

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
  if (!loaded.accepted) {
    Check(!loaded.dns && !loaded.ping && !loaded.game);
    return 0;
  }
  Check(loaded.dns.has_value());
  Check(loaded.ping.has_value() || !loaded.game.has_value());
  CheckRows(loaded.dns);
  CheckRows(loaded.ping);
  CheckRows(loaded.game);

  const qnc::ConfigTables shown{*loaded.dns, loaded.ping.value_or(std::vector<std::string>{}),
                                loaded.game.value_or(std::vector<std::string>{})};
  const std::string file = qnc::FormatConfig(shown);
  if (!AllSurvive(shown.dns) || !AllSurvive(shown.ping) || !AllSurvive(shown.game)) return 0;
  // No text is longer in GBK than in UTF-8, so rows of at most 510 bytes are never cut: the file written
  // must load each section in reverse row order.
  const qnc::LoadedConfig again =
      qnc::ParseConfig(std::span(reinterpret_cast<const std::uint8_t*>(file.data()), file.size()));
  Check(again.accepted && again.dns && again.ping && again.game);
  Check(std::equal(again.dns->rbegin(), again.dns->rend(), shown.dns.begin(), shown.dns.end()));
  Check(std::equal(again.ping->rbegin(), again.ping->rend(), shown.ping.begin(), shown.ping.end()));
  Check(std::equal(again.game->rbegin(), again.game->rend(), shown.game.begin(), shown.game.end()));
  return 0;
}
