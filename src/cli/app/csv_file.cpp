#include "cli/app/csv_file.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace qnc {

namespace fs = std::filesystem;

namespace {

std::string ErrorText(int error) { return error != 0 ? std::strerror(error) : "write failed"; }

// Whether the last byte of a file that is not empty is a line break (an
// unreadable file counts as ending in one: then only appending can tell).
bool EndsWithLineBreak(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in.seekg(-1, std::ios::end)) return true;
  char last = '\n';
  in.get(last);
  return !in || last == '\n';
}

// Only a regular file or a new one: opening a FIFO would wait for a reader,
// and a device or a folder is no place for a log.
bool RegularOrAbsent(const std::string& path, std::string& whyNot) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    whyNot = "not a regular file";
    return false;
  }
  return true;
}

}  // namespace

std::unique_ptr<CsvFile> CsvFile::Open(const std::string& path, std::string_view header, std::string& whyNot) {
  if (!RegularOrAbsent(path, whyNot)) return nullptr;
  std::unique_ptr<CsvFile> csv(new CsvFile(path, header));
  // Another program (or a cut copy) may have left the last line open: close
  // it, so that our first line does not join it.
  std::error_code error;
  const bool openLine = fs::exists(path, error) && !EndsWithLineBreak(path);
  std::lock_guard lock(csv->mutex_);
  if (!csv->AppendLocked(openLine ? "\n" : "", openLine, whyNot)) return nullptr;
  return csv;
}

bool CsvFile::Append(std::string_view line) {
  std::lock_guard lock(mutex_);
  if (failure_) return false;
  std::string whyNot;
  if (AppendLocked(line, false, whyNot)) return true;
  failure_ = whyNot;
  return false;
}

std::optional<std::string> CsvFile::Failure() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

bool CsvFile::AppendLocked(std::string_view line, bool openLine, std::string& whyNot) {
  if (!RegularOrAbsent(path_, whyNot)) return false;
  errno = 0;
  std::FILE* file = std::fopen(path_.c_str(), "ab");
  if (file == nullptr) {
    whyNot = ErrorText(errno);
    return false;
  }
  // Unbuffered: the line goes to the system in one piece and at once.
  std::setvbuf(file, nullptr, _IONBF, 0);
  std::fseek(file, 0, SEEK_END);
  const long before = std::ftell(file);
  if (before < 0) {
    whyNot = ErrorText(errno);
    std::fclose(file);
    return false;
  }
  // A file that is new or empty (a fresh one after rotation) starts with the header.
  std::string text;
  if (before == 0 && !openLine) text = header_;
  text.append(line);
  errno = 0;
  const std::size_t written = std::fwrite(text.data(), 1, text.size(), file);
  const bool whole = written == text.size() && std::fflush(file) == 0;
  if (!whole) {
    whyNot = ErrorText(errno);
    // Take back the part of the line that did get through.
    std::error_code error;
    fs::resize_file(path_, static_cast<std::uintmax_t>(before), error);
  }
  std::fclose(file);
  return whole;
}

}  // namespace qnc
