#include "platform/bounded_read.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace qnc {

namespace {

// Closes a descriptor when the read ends, however it ends.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int Get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::variant<std::string, ReadRefusal> ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  if (path.empty()) return ReadRefusal::kCannotOpen;
  // O_NONBLOCK: opening a FIFO with no writer would otherwise wait for one.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY));
  if (file.Get() < 0) return ReadRefusal::kCannotOpen;
  struct stat status {};
  if (::fstat(file.Get(), &status) != 0) return ReadRefusal::kReadError;
  if (!S_ISREG(status.st_mode)) return ReadRefusal::kNotRegularFile;
  if (status.st_size < 0 || static_cast<unsigned long long>(status.st_size) > maxBytes) return ReadRefusal::kTooLarge;

  std::string bytes;
  bytes.reserve(static_cast<std::size_t>(status.st_size));
  char buffer[16384];
  for (;;) {
    const ssize_t count = ::read(file.Get(), buffer, sizeof buffer);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) return ReadRefusal::kReadError;
    if (count == 0) return bytes;
    if (bytes.size() + static_cast<std::size_t>(count) > maxBytes) return ReadRefusal::kTooLarge;
    bytes.append(buffer, static_cast<std::size_t>(count));
  }
}

}  // namespace qnc
