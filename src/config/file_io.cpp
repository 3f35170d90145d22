#include "config/file_io.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>

namespace qnc {
namespace {

namespace fs = std::filesystem;

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The file a write must replace: the target of a symbolic link, so that the link stays a link.
fs::path ResolveTarget(const fs::path& path) {
  std::error_code error;
  if (!fs::is_symlink(path, error)) return path;
  const fs::path resolved = fs::weakly_canonical(path, error);
  return error ? path : resolved;
}

// A file we could not open for writing is not ours to replace, even where its folder would allow the rename.
bool MayReplace(const fs::path& target) {
  std::error_code error;
  if (!fs::exists(target, error)) return true;
  return FilePtr(std::fopen(target.c_str(), "rb+")) != nullptr;  // opens without creating or truncating
}

// Creates a new, empty temporary file next to target; fails rather than open a file that already exists.
std::optional<std::pair<fs::path, std::FILE*>> CreateTemporaryBeside(const fs::path& target) {
  std::random_device entropy;
  const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
  for (int attempt = 0; attempt < 8; ++attempt) {
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", static_cast<unsigned>(entropy()));
    const fs::path temporary = folder / ("." + target.filename().string() + suffix);
    if (std::FILE* file = std::fopen(temporary.c_str(), "wbx")) return std::make_pair(temporary, file);
    std::error_code error;
    if (!fs::exists(temporary, error)) return std::nullopt;  // not a name clash: the folder refuses us
  }
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadFileBytes(const std::string& path) {
  if (path.empty()) return std::nullopt;
  const FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) return std::nullopt;
  std::string bytes;
  char buffer[16384];
  std::size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes.append(buffer, count);
  if (std::ferror(file.get()) != 0) return std::nullopt;
  return bytes;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  const fs::path target = ResolveTarget(fs::path(path));
  if (!MayReplace(target)) return false;
  auto created = CreateTemporaryBeside(target);
  if (!created) return false;
  const fs::path temporary = created->first;
  FilePtr file(created->second);

  std::error_code error;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
  ok = std::fflush(file.get()) == 0 && ok;
  ok = std::fclose(file.release()) == 0 && ok;
  if (ok) {
    const fs::file_status old = fs::status(target, error);
    if (!error && fs::is_regular_file(old)) fs::permissions(temporary, old.permissions(), error);
    fs::rename(temporary, target, error);
    ok = !error;
  }
  if (!ok) fs::remove(temporary, error);
  return ok;
}

}  // namespace qnc
