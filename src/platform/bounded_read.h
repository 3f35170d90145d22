#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

namespace qnc {

// Why a bounded read gave no bytes.
enum class ReadRefusal {
  kCannotOpen,      // missing, no rights, or the path is empty
  kNotRegularFile,  // a folder, FIFO, device or socket: no end we can count on
  kTooLarge,        // more than the caller's limit
  kReadError,
};

// The whole content of the regular file at path, or why not. The file is
// opened without blocking (a FIFO cannot hang the caller), and never more than
// maxBytes + 1 bytes are read, so a file that grows while it is read is refused
// rather than read without end.
std::variant<std::string, ReadRefusal> ReadRegularFile(const std::string& path, std::size_t maxBytes);

// A short English phrase for a refusal, for messages such as "cannot use X: <phrase>".
std::string_view DescribeRefusal(ReadRefusal refusal);

}  // namespace qnc
