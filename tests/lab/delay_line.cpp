#include "lab/delay_line.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <poll.h>
#include <sched.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <queue>
#include <stdexcept>
#include <vector>

namespace qnc {

namespace {

using Clock = std::chrono::steady_clock;

int OpenOn(const std::string& interface) {
  const int fd = ::socket(AF_PACKET, SOCK_RAW | SOCK_CLOEXEC, htons(ETH_P_ALL));
  if (fd < 0) return -1;
  sockaddr_ll address{};
  address.sll_family = AF_PACKET;
  address.sll_protocol = htons(ETH_P_ALL);
  address.sll_ifindex = static_cast<int>(::if_nametoindex(interface.c_str()));
  if (address.sll_ifindex == 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  // Frames for other hosts' addresses too: the line stands between two routers.
  packet_mreq promiscuous{};
  promiscuous.mr_ifindex = address.sll_ifindex;
  promiscuous.mr_type = PACKET_MR_PROMISC;
  ::setsockopt(fd, SOL_PACKET, PACKET_ADD_MEMBERSHIP, &promiscuous, sizeof promiscuous);
  return fd;
}

struct Held {
  Clock::time_point due;
  std::vector<std::uint8_t> frame;
  bool operator>(const Held& other) const { return due > other.due; }
};

}  // namespace

DelayLine::DelayLine(const std::string& ns, const std::string& left, const std::string& right) {
  // A packet socket belongs to the namespace it was made in; a thread enters
  // the line's namespace to make both.
  std::thread maker([&] {
    const int fd = ::open(("/run/netns/" + ns).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::setns(fd, CLONE_NEWNET) != 0) return;
    ::close(fd);
    left_ = OpenOn(left);
    right_ = OpenOn(right);
  });
  maker.join();
  if (left_ < 0 || right_ < 0) throw std::runtime_error("cannot open the delay line's interfaces in " + ns);
  relay_ = std::jthread([this](std::stop_token stop) { Relay(stop); });
}

DelayLine::~DelayLine() {
  relay_.request_stop();
  if (relay_.joinable()) relay_.join();
  ::close(left_);
  ::close(right_);
}

void DelayLine::Relay(std::stop_token stop) {
  std::priority_queue<Held, std::vector<Held>, std::greater<>> held;
  std::array<std::uint8_t, 65536> buffer{};
  while (!stop.stop_requested()) {
    const auto now = Clock::now();
    while (!held.empty() && held.top().due <= now) {
      ::send(right_, held.top().frame.data(), held.top().frame.size(), 0);
      held.pop();
    }
    int waitMs = 20;
    if (!held.empty()) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(held.top().due - now).count();
      waitMs = static_cast<int>(std::clamp<long long>(left, 0, 20));
    }
    std::array<pollfd, 2> sockets{pollfd{left_, POLLIN, 0}, pollfd{right_, POLLIN, 0}};
    if (::poll(sockets.data(), sockets.size(), waitMs) <= 0) continue;
    for (std::size_t i = 0; i < sockets.size(); ++i) {
      if ((sockets[i].revents & POLLIN) == 0) continue;
      sockaddr_ll from{};
      socklen_t fromLength = sizeof from;
      const auto size = ::recvfrom(sockets[i].fd, buffer.data(), buffer.size(), MSG_DONTWAIT,
                                   reinterpret_cast<sockaddr*>(&from), &fromLength);
      // A packet socket also sees the frames it sends itself.
      if (size <= 0 || from.sll_pkttype == PACKET_OUTGOING) continue;
      if (sockets[i].fd == left_) {
        held.push(Held{Clock::now() + std::chrono::milliseconds(delayMs_.load()),
                       std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + size)});
      } else {
        ::send(left_, buffer.data(), static_cast<std::size_t>(size), 0);
      }
    }
  }
}

}  // namespace qnc
