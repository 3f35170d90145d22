#pragma once
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>

namespace qnc {

// A file that samples are appended to, one whole line at a time: a line that
// cannot be written in full is cut off again, so the file never ends in half a
// line. Appends from several threads are serialised.
class CsvFile {
 public:
  // Opens (creating) the regular file at path for appending and writes the
  // header when the file is empty, or a line break first when its last line
  // has none. Nothing, with the reason in whyNot, when it
  // is no regular file or cannot be opened or written.
  static std::unique_ptr<CsvFile> Open(const std::string& path, std::string_view header, std::string& whyNot);

  // Appends one line (with its line end). After the first failure nothing
  // more is written and Failure() says why.
  bool Append(std::string_view line);
  std::optional<std::string> Failure() const;

  ~CsvFile();
  CsvFile(const CsvFile&) = delete;
  CsvFile& operator=(const CsvFile&) = delete;

 private:
  CsvFile(std::string path, std::FILE* file) : path_(std::move(path)), file_(file) {}
  bool AppendLocked(std::string_view line, std::string& whyNot);

  const std::string path_;
  std::FILE* file_;
  mutable std::mutex mutex_;
  std::optional<std::string> failure_;
};

}  // namespace qnc
