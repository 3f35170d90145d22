// A TCP relay on 127.0.0.1 that holds every byte for a fixed delay in each
// direction: a stand-in for a network path with a round trip of twice the
// delay (the kernel here has no netem). Each accepted connection is joined to
// a new connection to the target port; per direction one thread reads into
// blocks stamped with their arrival time and one writes each block once its
// delay has passed. The blocks of a direction are capped, so a side that
// does not read holds the other back instead of growing the relay's memory.
//
//   bench_delay_relay --listen PORT --to PORT [--delay-ms 1] [--lifetime-seconds 60]
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipv4.h"
#include "platform/tcp_socket.h"

namespace {

using namespace qnc;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kBlockBytes = 256 * 1024;
constexpr std::size_t kMaxBlocks = 48;  // 12 MB held at most per direction

struct Block {
  std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(kBlockBytes);
  std::size_t used = 0;
  Clock::time_point due;
};

// The blocks of one direction: free ones, and filled ones waiting for their time.
class DelayLine {
 public:
  // A free block (made when fewer than the cap exist), or nothing once closed.
  std::unique_ptr<Block> TakeFree() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return closed_ || !free_.empty() || made_ < kMaxBlocks; });
    if (closed_) return nullptr;
    if (free_.empty()) {
      ++made_;
      return std::make_unique<Block>();
    }
    auto block = std::move(free_.back());
    free_.pop_back();
    return block;
  }
  void PutFilled(std::unique_ptr<Block> block) {
    std::lock_guard lock(mutex_);
    filled_.push_back(std::move(block));
    changed_.notify_all();
  }
  // The oldest filled block; nothing once closed and drained.
  std::unique_ptr<Block> TakeFilled() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !filled_.empty() || ended_; });
    if (filled_.empty()) return nullptr;
    auto block = std::move(filled_.front());
    filled_.pop_front();
    return block;
  }
  void PutFree(std::unique_ptr<Block> block) {
    std::lock_guard lock(mutex_);
    block->used = 0;
    free_.push_back(std::move(block));
    changed_.notify_all();
  }
  // The reading side ended: the writer sends what is left, then ends.
  void EndInput() {
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
  }
  // The writing side failed: the reader stops too.
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = ended_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::unique_ptr<Block>> free_;
  std::deque<std::unique_ptr<Block>> filled_;
  std::size_t made_ = 0;
  bool ended_ = false;
  bool closed_ = false;
};

bool SendAll(TcpSocket& socket, const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    const long sent = socket.Send({data, size});
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<std::size_t>(sent);
  }
  return true;
}

// Carries one direction from `from` to `to`; when it ends, both sockets are
// shut down so that the other direction ends too.
void Carry(TcpSocket& from, TcpSocket& to, std::chrono::microseconds delay) {
  DelayLine line;
  std::thread writer([&] {
    while (auto block = line.TakeFilled()) {
      std::this_thread::sleep_until(block->due);
      if (!SendAll(to, block->bytes.data(), block->used)) {
        line.Close();
        break;
      }
      line.PutFree(std::move(block));
    }
    from.Shutdown();
    to.Shutdown();
  });
  while (auto block = line.TakeFree()) {
    const long received = from.Receive(block->bytes);
    if (received <= 0) break;
    block->used = static_cast<std::size_t>(received);
    block->due = Clock::now() + delay;
    line.PutFilled(std::move(block));
  }
  line.EndInput();
  writer.join();
}

void Relay(TcpSocket client, std::uint16_t targetPort, std::chrono::microseconds delay) {
  auto target = TcpSocket::Open();
  if (!target || target->Connect(ParseDottedQuad("127.0.0.1").value(), targetPort, 3000) != ConnectResult::kConnected) {
    return;
  }
  std::thread back([&] { Carry(*target, client, delay); });
  Carry(client, *target, delay);
  back.join();
}

}  // namespace

int main(int argc, char** argv) {
  int listenPort = 0;
  int targetPort = 0;
  double delayMs = 1;
  double lifetime = 60;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    const double value = std::stod(argv[i + 1]);
    if (option == "--listen") listenPort = static_cast<int>(value);
    if (option == "--to") targetPort = static_cast<int>(value);
    if (option == "--delay-ms") delayMs = value;
    if (option == "--lifetime-seconds") lifetime = value;
  }
  if (listenPort <= 0 || listenPort > 65535 || targetPort <= 0 || targetPort > 65535) {
    std::fprintf(stderr, "usage: bench_delay_relay --listen PORT --to PORT [--delay-ms MS] [--lifetime-seconds S]\n");
    return 2;
  }
  auto listener = TcpSocket::Open();
  const Ipv4NetOrder loopback = ParseDottedQuad("127.0.0.1").value();
  if (!listener || !listener->SetReuseAddress(true) ||
      !listener->Bind(loopback, static_cast<std::uint16_t>(listenPort)) || !listener->Listen(16)) {
    std::fprintf(stderr, "bench_delay_relay: cannot listen on 127.0.0.1:%d\n", listenPort);
    return 1;
  }
  const auto delay = std::chrono::microseconds(static_cast<long>(delayMs * 1000));
  // The relay serves for its lifetime, then ends with its connections.
  const auto end = Clock::now() + std::chrono::duration<double>(lifetime);
  while (Clock::now() < end) {
    if (auto accepted = listener->Accept(100)) {
      std::thread(Relay, std::move(accepted->socket), static_cast<std::uint16_t>(targetPort), delay).detach();
    }
  }
  std::fflush(nullptr);
  std::quick_exit(0);
}
