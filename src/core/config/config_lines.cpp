#include "core/config/config_lines.h"

#include "core/config/text_encoding.h"

namespace qnc {

std::optional<std::string_view> LineReader::Next() {
  if (finished_ || rest_.empty()) return std::nullopt;
  std::string_view line;
  const std::size_t lineFeed = rest_.find('\n');
  if (lineFeed == std::string_view::npos) {
    line = rest_;
    rest_ = {};
    finished_ = true;
  } else {
    line = rest_.substr(0, lineFeed);
    rest_.remove_prefix(lineFeed + 1);
  }
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return line;
}

std::optional<std::string_view> PieceReader::Next() {
  if (started_ && rest_.empty()) return std::nullopt;
  started_ = true;
  const std::size_t length = encoding_ == FileEncoding::kUtf8 ? Utf8PrefixLength(rest_, kMaxPieceBytes)
                                                              : GbkPrefixLength(rest_, kMaxPieceBytes);
  const std::string_view piece = rest_.substr(0, length);
  rest_.remove_prefix(length);
  return piece;
}

}  // namespace qnc
