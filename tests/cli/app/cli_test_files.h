#pragma once
// Loopback ports and temporary files for the terminal front end's tests.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ipv4.h"
#include "platform/tcp_socket.h"

namespace qnc {
namespace {

namespace fs = std::filesystem;

const Ipv4NetOrder kLoopback = *ParseDottedQuad("127.0.0.1");

std::uint16_t ClosedPort() {
  auto socket = TcpSocket::Open();
  socket->Bind(kLoopback, 0);
  return socket->LocalPort();
}

std::vector<std::string> Lines(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A file name in the temporary folder, removed before and after the test.
class TempFile {
 public:
  explicit TempFile(const std::string& name)
      : path_(fs::temp_directory_path() /
              (name + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()))) {
    fs::remove_all(path_);
  }
  ~TempFile() { fs::remove_all(path_); }
  const fs::path& Path() const { return path_; }

 private:
  fs::path path_;
};

}  // namespace
}  // namespace qnc
