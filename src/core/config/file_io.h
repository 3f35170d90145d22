#pragma once

// Atomic whole-file writes.

#include <string>
#include <string_view>

namespace qnc {

// Replaces the file at path with bytes, or leaves it as it was. The bytes go to a new temporary file
// ".<name>.XXXXXXXX.tmp" in the target's folder, flushed to the disk, which then replaces the target by rename;
// the folder is flushed after the rename. So a crash, a full disk or a power cut leaves the old file or the new
// one, never a cut one. Temporary files of that exact pattern for the same target that are older than a minute
// are left-overs of a save that crashed, and are removed. A symbolic link is followed and the file it names is
// replaced; an existing target's permission bits carry over, and a target that may not be written is left alone.
// Returns false (with no temporary file of its own left) when anything fails.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace qnc
