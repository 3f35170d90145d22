#include "core/config/file_io.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "platform/durable_write.h"
#include "platform/utf8_path.h"

namespace qnc {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kTemporarySuffix = ".tmp";
constexpr std::size_t kTemporaryTagDigits = 8;
// A save takes milliseconds; a temporary file this old belongs to no save under way, even one of another copy of
// the program saving the same list.
constexpr auto kStaleAfter = std::chrono::minutes(1);

// The file a write must replace: the target of a symbolic link, so that the link stays a link.
fs::path ResolveTarget(const fs::path& path) {
  std::error_code error;
  if (!fs::is_symlink(path, error)) return path;
  const fs::path resolved = fs::weakly_canonical(path, error);
  return error ? path : resolved;
}

fs::path FolderOf(const fs::path& target) { return target.has_parent_path() ? target.parent_path() : fs::path("."); }

// A file we could not open for writing is not ours to replace, even where its folder would allow the rename.
bool MayReplace(const fs::path& target) {
  std::error_code error;
  if (!fs::exists(target, error)) return true;
  // Read and write together opens without creating or truncating.
  return std::fstream(target, std::ios::in | std::ios::out | std::ios::binary).is_open();
}

bool IsLowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// True when name is one of our temporary file names for a target named targetName:
// "." + targetName + "." + 8 lower-case hex digits + ".tmp"
bool IsTemporaryNameOf(std::string_view name, std::string_view targetName) {
  if (targetName.empty() || name.size() != targetName.size() + 2 + kTemporaryTagDigits + kTemporarySuffix.size()) {
    return false;
  }
  if (name[0] != '.' || name.substr(1, targetName.size()) != targetName || name[1 + targetName.size()] != '.') {
    return false;
  }
  const std::string_view tag = name.substr(2 + targetName.size(), kTemporaryTagDigits);
  for (const char c : tag) {
    if (!IsLowerHex(c)) return false;
  }
  return name.ends_with(kTemporarySuffix);
}

// Removes the temporary files that crashed saves of target left behind. Only regular files of our exact name
// pattern for this target, in its own folder, and only old ones.
void RemoveStaleTemporaries(const fs::path& target) {
  std::error_code error;
  const std::string targetName = Utf8FromPath(target.filename());
  const auto now = fs::file_time_type::clock::now();
  for (fs::directory_iterator it(FolderOf(target), error), end; !error && it != end; it.increment(error)) {
    const fs::directory_entry& entry = *it;
    if (!IsTemporaryNameOf(Utf8FromPath(entry.path().filename()), targetName)) continue;
    std::error_code entryError;
    if (!entry.is_regular_file(entryError) || entry.is_symlink(entryError)) continue;
    const auto written = entry.last_write_time(entryError);
    if (entryError || now - written < kStaleAfter) continue;
    fs::remove(entry.path(), entryError);
  }
}

// Writes bytes to a new temporary file next to target and flushes it to the disk; never touches a file that
// already exists.
std::optional<fs::path> WriteTemporaryBeside(const fs::path& target, std::string_view bytes) {
  std::random_device entropy;
  for (int attempt = 0; attempt < 8; ++attempt) {
    char tag[16];
    std::snprintf(tag, sizeof tag, ".%08x", static_cast<unsigned>(entropy()));
    const fs::path temporary =
        FolderOf(target) / PathFromUtf8("." + Utf8FromPath(target.filename()) + tag + std::string(kTemporarySuffix));
    switch (WriteNewFileSynced(Utf8FromPath(temporary), bytes)) {
      case NewFileResult::kWritten:
        return temporary;
      case NewFileResult::kExists:
        continue;
      case NewFileResult::kFailed:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  if (path.empty()) return false;
  const fs::path target = ResolveTarget(PathFromUtf8(path));
  if (!MayReplace(target)) return false;
  RemoveStaleTemporaries(target);
  const std::optional<fs::path> temporary = WriteTemporaryBeside(target, bytes);
  if (!temporary) return false;

  std::error_code error;
  const fs::file_status old = fs::status(target, error);
  if (!error && fs::is_regular_file(old)) fs::permissions(*temporary, old.permissions(), error);
  if (!RenameOver(Utf8FromPath(*temporary), Utf8FromPath(target))) {
    fs::remove(*temporary, error);
    return false;
  }
  // The new list is in place; flushing the folder makes the rename itself survive a power cut. A folder that
  // cannot be flushed leaves the rename to the system's own write-back, as before.
  SyncFolder(Utf8FromPath(FolderOf(target)));
  return true;
}

}  // namespace qnc
