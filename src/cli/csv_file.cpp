#include "cli/csv_file.h"

#include <cerrno>
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

}  // namespace

std::unique_ptr<CsvFile> CsvFile::Open(const std::string& path, std::string_view header, std::string& whyNot) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  // Only a regular file or a new one: opening a FIFO would wait for a reader,
  // and a device or a folder is no place for a log.
  if (fs::exists(status) && !fs::is_regular_file(status)) {
    whyNot = "not a regular file";
    return nullptr;
  }
  errno = 0;
  std::FILE* file = std::fopen(path.c_str(), "ab");
  if (file == nullptr) {
    whyNot = ErrorText(errno);
    return nullptr;
  }
  // Unbuffered: each line goes to the system in one piece and at once.
  std::setvbuf(file, nullptr, _IONBF, 0);
  std::unique_ptr<CsvFile> csv(new CsvFile(path, file));
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) {
    whyNot = error.message();
    return nullptr;
  }
  std::lock_guard lock(csv->mutex_);
  if (size == 0) {
    if (!csv->AppendLocked(header, whyNot)) return nullptr;
  } else if (!EndsWithLineBreak(path)) {
    // Another program (or a cut copy) left the last line open: close it, so
    // that our first line does not join it.
    if (!csv->AppendLocked("\n", whyNot)) return nullptr;
  }
  return csv;
}

CsvFile::~CsvFile() { std::fclose(file_); }

bool CsvFile::Append(std::string_view line) {
  std::lock_guard lock(mutex_);
  if (failure_) return false;
  std::string whyNot;
  if (AppendLocked(line, whyNot)) return true;
  failure_ = whyNot;
  return false;
}

std::optional<std::string> CsvFile::Failure() const {
  std::lock_guard lock(mutex_);
  return failure_;
}

bool CsvFile::AppendLocked(std::string_view line, std::string& whyNot) {
  std::error_code error;
  const std::uintmax_t before = fs::file_size(path_, error);
  if (error) {
    whyNot = error.message();
    return false;
  }
  errno = 0;
  const std::size_t written = std::fwrite(line.data(), 1, line.size(), file_);
  if (written == line.size() && std::fflush(file_) == 0) return true;
  whyNot = ErrorText(errno);
  std::clearerr(file_);
  // Take back the part of the line that did get through.
  fs::resize_file(path_, before, error);
  return false;
}

}  // namespace qnc
