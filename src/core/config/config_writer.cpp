// Writing the three tables to the configuration file.

#include <algorithm>

#include "core/config/config_file.h"
#include "core/config/config_lines.h"
#include "core/config/file_io.h"
#include "core/config/gbk_codec.h"
#include "core/config/text_encoding.h"

namespace qnc {
namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr PerTable<std::string_view> kSectionHeads{"#headv1===", "#PING===", "#GAME==="};

// One row is one line: line breaks inside a text would split it into rows (or forge a marker line), and a
// NUL would end it for every reader that treats it as a C string. They become spaces; ill-formed UTF-8
// becomes U+FFFD.
std::string PrepareRowText(std::string_view text) {
  std::string prepared = ToValidUtf8(text);
  std::replace_if(
      prepared.begin(), prepared.end(), [](char c) { return c == '\r' || c == '\n' || c == '\0'; }, ' ');
  return prepared;
}

std::string Assemble(const ConfigTables& tables) {
  std::string file;
  for (const TableKind section : kAllTables) {
    file += kSectionHeads[section];
    file += kLineEnd;
    for (const std::string& row : tables[section]) {
      file += row;
      file += kLineEnd;
    }
  }
  return file;
}

// The file in UTF-8; the reader takes it back exactly.
std::string FormatInUtf8(const ConfigTables& prepared) {
  ConfigTables cut = prepared;
  for (auto& table : cut) {
    for (std::string& row : table) row.resize(Utf8PrefixLength(row, kMaxPieceBytes));
  }
  return Assemble(cut);
}

// The file in GBK, or nullopt when GBK cannot carry it back exactly: a character without a GBK form, one that
// would come back as another, or GBK bytes that happen to form valid UTF-8 (which the reader would take as
// UTF-8).
std::optional<std::string> FormatInGbk(const ConfigTables& prepared) {
  GbkEncoder encoder;
  GbkDecoder decoder;
  ConfigTables encoded;
  for (const TableKind section : kAllTables) {
    for (const std::string& text : prepared[section]) {
      std::optional<std::string> gbk = encoder.Encode(text);
      if (!gbk || decoder.Decode(*gbk) != text) return std::nullopt;
      gbk->resize(GbkPrefixLength(*gbk, kMaxPieceBytes));
      encoded[section].push_back(std::move(*gbk));
    }
  }
  std::string file = Assemble(encoded);
  if (!IsAscii(file) && IsValidUtf8(file)) return std::nullopt;
  return file;
}

}  // namespace

std::string FormatConfig(const ConfigTables& tables) {
  ConfigTables prepared;
  for (const TableKind section : kAllTables) {
    for (const std::string& text : tables[section]) prepared[section].push_back(PrepareRowText(text));
  }
  if (std::optional<std::string> gbk = FormatInGbk(prepared)) return *std::move(gbk);
  return FormatInUtf8(prepared);
}

bool WriteConfig(const std::string& path, const ConfigTables& tables) {
  return WriteFileAtomically(path, FormatConfig(tables));
}

bool SaveTablesForReload(const std::string& path, const ConfigTables& shownTopFirst) {
  ConfigTables bottomFirst = shownTopFirst;
  for (auto& rows : bottomFirst) std::reverse(rows.begin(), rows.end());
  return WriteConfig(path, bottomFirst);
}

}  // namespace qnc
