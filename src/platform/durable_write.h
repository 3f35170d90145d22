#pragma once
#include <string>
#include <string_view>

namespace qnc {

enum class NewFileResult { kWritten, kExists, kFailed };

// Creates the file at path, which must not exist yet, writes bytes to it and
// flushes them to the disk before it returns kWritten. kExists when the name
// is taken (nothing is touched then); kFailed on any other failure, with no
// file left behind.
NewFileResult WriteNewFileSynced(const std::string& path, std::string_view bytes);

// Puts the file at from in the place of the one at to (which may exist) in
// one step; the renamed entry is on the disk, or the folder is flushed by
// SyncFolder afterwards. False when the system refused.
bool RenameOver(const std::string& from, const std::string& to);

// Flushes a folder's entries to the disk, so that a rename made in it survives
// a power cut. False when the folder cannot be opened or flushed.
bool SyncFolder(const std::string& folder);

}  // namespace qnc
