#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace qnc {

// A file that samples are appended to, one whole line at a time: a line that
// cannot be written in full is cut off again, so the file never ends in half a
// line. Appends from several threads are serialised.
//
// The file is opened by its path for every line. When log rotation moves it
// away (with or without a new file put in its place), the next line goes to
// the file now at the path, created when there is none and started with the
// header when it is empty; the moved file keeps whole lines only.
class CsvFile {
 public:
  // Opens (creating) the regular file at path and writes the header when the
  // file is empty, or a line break first when its last line has none.
  // Nothing, with the reason in whyNot, when it is no regular file or cannot
  // be opened or written.
  static std::unique_ptr<CsvFile> Open(const std::string& path, std::string_view header, std::string& whyNot);

  // Appends one line (with its line end). After the first failure nothing
  // more is written and Failure() says why.
  bool Append(std::string_view line);
  std::optional<std::string> Failure() const;

  CsvFile(const CsvFile&) = delete;
  CsvFile& operator=(const CsvFile&) = delete;

 private:
  CsvFile(std::string path, std::string_view header) : path_(std::move(path)), header_(header) {}
  bool AppendLocked(std::string_view line, bool openLine, std::string& whyNot);

  const std::string path_;
  const std::string header_;
  mutable std::mutex mutex_;
  std::optional<std::string> failure_;
};

}  // namespace qnc
