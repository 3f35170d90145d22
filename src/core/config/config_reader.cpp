// Reading the configuration file into the three tables.

#include <algorithm>
#include <variant>

#include "core/config/config_file.h"
#include "core/config/config_lines.h"
#include "core/config/gbk_codec.h"
#include "core/config/text_encoding.h"
#include "platform/bounded_read.h"

namespace qnc {
namespace {

constexpr std::string_view kHeaderMarker = "#head";

// The marker whose line ends each section; each section looks only for its own.
constexpr PerTable<std::string_view> kEndMarkers{"#PING", "#GAME", "#END"};

// Turns pieces of file bytes into UTF-8 row texts.
class RowDecoder {
 public:
  explicit RowDecoder(FileEncoding encoding) : encoding_(encoding) {}

  FileEncoding Encoding() const { return encoding_; }

  std::string Decode(std::string_view piece) {
    std::string text;
    if (encoding_ == FileEncoding::kUtf8) {
      text.assign(piece);
    } else {
      if (!gbk_) gbk_.emplace();
      text = gbk_->Decode(piece);
    }
    // Hosts are handed on as C strings: a NUL would cut the text short out of sight.
    std::size_t nul = 0;
    while ((nul = text.find('\0', nul)) != std::string::npos) text.replace(nul, 1, kReplacementCharacter);
    return text;
  }

 private:
  FileEncoding encoding_;
  std::optional<GbkDecoder> gbk_;
};

}  // namespace

LoadedConfig ParseConfig(std::span<const std::uint8_t> fileBytes) {
  const std::string_view bytes(reinterpret_cast<const char*>(fileBytes.data()), fileBytes.size());
  LineReader lines(bytes);
  const std::optional<std::string_view> header = lines.Next();
  if (!header || header->find(kHeaderMarker) == std::string_view::npos) return {};

  LoadedConfig loaded;
  loaded.accepted = true;
  RowDecoder decoder(IsValidUtf8(bytes) ? FileEncoding::kUtf8 : FileEncoding::kGbk);
  // The sections follow each other in kAllTables order.
  std::size_t section = 0;
  loaded.tables[kAllTables[section]].emplace();
  bool fileEnded = false;
  while (!fileEnded) {
    const std::optional<std::string_view> line = lines.Next();
    if (!line) break;
    PieceReader pieces(*line, decoder.Encoding());
    while (const std::optional<std::string_view> piece = pieces.Next()) {
      const TableKind table = kAllTables[section];
      std::vector<std::string>& rows = *loaded.tables[table];
      // A row is added first and then tested for the end marker, so "x#PING" is the DNS table's last row.
      if (!piece->starts_with('#')) rows.push_back(decoder.Decode(*piece));
      if (piece->find(kEndMarkers[table]) == std::string_view::npos) continue;
      if (++section == kAllTables.size()) {
        fileEnded = true;  // nothing after "#END" is read, not even the rest of its line
        break;
      }
      loaded.tables[kAllTables[section]].emplace();
    }
  }

  // Every loaded line went to the top of its table: the last line of a section is the top row.
  for (auto& rows : loaded.tables) {
    if (rows) std::reverse(rows->begin(), rows->end());
  }
  return loaded;
}

LoadedConfig ReadConfig(const std::string& path, std::string* whyRefused) {
  const auto read = ReadRegularFile(path, kMaxConfigFileBytes);
  const auto refuse = [whyRefused](std::string_view why) {
    if (whyRefused != nullptr) whyRefused->assign(why);
    return LoadedConfig{};
  };
  if (const auto* refusal = std::get_if<ReadRefusal>(&read)) {
    return refuse(*refusal == ReadRefusal::kTooLarge ? "it is larger than 1 MB" : DescribeRefusal(*refusal));
  }
  const std::string& bytes = std::get<std::string>(read);
  LoadedConfig loaded = ParseConfig(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
  if (!loaded.accepted) return refuse("its first line has no #head");
  return loaded;
}

}  // namespace qnc
