#pragma once

// How the reader walks the file: lines with their line end removed, each cut into pieces that it treats as
// lines of their own.

#include <cstddef>
#include <optional>
#include <string_view>

namespace qnc {

enum class FileEncoding { kUtf8, kGbk };

// The longest piece of a line the reader takes at once; the rest of a longer line is a further piece.
inline constexpr std::size_t kMaxPieceBytes = 510;

// Hands out the lines of a file in order. A line ends at LF; one CR before the LF (or at the very end of the
// file) belongs to the line end. A final line without a line end is still a line; nothing follows a final LF.
class LineReader {
 public:
  explicit LineReader(std::string_view bytes) : rest_(bytes) {}
  std::optional<std::string_view> Next();

 private:
  std::string_view rest_;
  bool finished_ = false;
};

// Hands out the pieces of one line: at most kMaxPieceBytes each, cut only between characters of the file's
// encoding. An empty line is one empty piece; a line of exactly kMaxPieceBytes is one piece.
class PieceReader {
 public:
  PieceReader(std::string_view line, FileEncoding encoding) : rest_(line), encoding_(encoding) {}
  std::optional<std::string_view> Next();

 private:
  std::string_view rest_;
  FileEncoding encoding_;
  bool started_ = false;
};

}  // namespace qnc
