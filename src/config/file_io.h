#pragma once

// Whole-file reads and atomic whole-file writes.

#include <optional>
#include <string>
#include <string_view>

namespace qnc {

// The bytes of the file at path, or nullopt when it cannot be opened or read (missing, no rights, a folder).
std::optional<std::string> ReadFileBytes(const std::string& path);

// Replaces the file at path with bytes, or leaves it as it was. The bytes go to a new temporary file in the
// target's folder, which then replaces the target by rename, so a crash or a full disk never leaves a cut
// file behind. A symbolic link is followed and the file it names is replaced; an existing target's permission
// bits carry over, and a target that may not be written is left alone. Returns false (with no temporary file
// left) when anything fails.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace qnc
