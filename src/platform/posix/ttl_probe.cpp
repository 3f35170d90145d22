#include "platform/ttl_probe.h"

#include <linux/errqueue.h>
#include <linux/icmp.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/sockaddr.h"
#include "platform/ticks.h"

namespace qnc {

namespace {

constexpr int kStopSliceMs = 50;

// Reads the next entry of the socket's error queue that is an ICMP error
// about a packet we sent, with the bytes of that packet it quotes in buffer;
// entries of another origin (local errors) are read and dropped.
std::optional<TtlProbeEvent> ReadErrorQueue(int fd, std::span<std::uint8_t> buffer) {
  for (;;) {
    sockaddr_in quotedTo{};
    iovec vector{buffer.data(), buffer.size()};
    alignas(cmsghdr) char control[512];
    msghdr message{};
    message.msg_name = &quotedTo;
    message.msg_namelen = sizeof quotedTo;
    message.msg_iov = &vector;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    const auto received = ::recvmsg(fd, &message, MSG_ERRQUEUE | MSG_DONTWAIT);
    if (received < 0) return std::nullopt;
    for (cmsghdr* entry = CMSG_FIRSTHDR(&message); entry != nullptr; entry = CMSG_NXTHDR(&message, entry)) {
      if (entry->cmsg_level != SOL_IP || entry->cmsg_type != IP_RECVERR) continue;
      auto* error = reinterpret_cast<sock_extended_err*>(CMSG_DATA(entry));
      if (error->ee_origin != SO_EE_ORIGIN_ICMP) continue;
      sockaddr_in offender{};
      std::memcpy(&offender, SO_EE_OFFENDER(error), sizeof offender);
      TtlProbeEvent event;
      event.kind = TtlProbeEvent::Kind::kQuotedError;
      event.length = static_cast<std::size_t>(received);
      event.from = offender.sin_addr.s_addr;
      event.icmpType = error->ee_type;
      event.icmpCode = error->ee_code;
      return event;
    }
  }
}

bool EnableErrorQueue(int fd) { return SetIntOption(fd, SOL_IP, IP_RECVERR, 1); }

}  // namespace

std::optional<TtlEchoSocket> TtlEchoSocket::Open(std::string* whyNot) {
  SocketHandle raw(::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_ICMP));
  if (raw.Valid()) {
    // Only echo replies and the errors that quote a sent packet wake the reader.
    icmp_filter filter{};
    filter.data = ~((1U << ICMP_ECHOREPLY) | (1U << ICMP_DEST_UNREACH) | (1U << ICMP_TIME_EXCEEDED));
    ::setsockopt(raw.Get(), SOL_RAW, ICMP_FILTER, &filter, sizeof filter);
    return TtlEchoSocket(std::move(raw), true);
  }
  const int rawError = errno;
  SocketHandle datagram(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
  if (datagram.Valid() && EnableErrorQueue(datagram.Get())) return TtlEchoSocket(std::move(datagram), false);
  const int datagramError = errno;
  if (whyNot != nullptr) {
    *whyNot = std::string("no ICMP socket: raw socket refused (") + std::strerror(rawError) +
              "; needs root or CAP_NET_RAW), ICMP datagram socket refused (" + std::strerror(datagramError) +
              "; see net.ipv4.ping_group_range)";
  }
  return std::nullopt;
}

bool TtlEchoSocket::Send(Ipv4NetOrder destination, int ttl, std::span<const std::uint8_t> message) {
  if (!SetIntOption(handle_.Get(), IPPROTO_IP, IP_TTL, ttl)) return false;
  const sockaddr_in to = MakeSockaddr(destination, 0);
  const auto sent = ::sendto(handle_.Get(), message.data(), message.size(), MSG_NOSIGNAL,
                             reinterpret_cast<const sockaddr*>(&to), sizeof to);
  return sent == static_cast<ssize_t>(message.size());
}

std::optional<std::uint16_t> TtlEchoSocket::SystemEchoIdentifier() const {
  if (raw_) return std::nullopt;
  sockaddr_in local{};
  socklen_t length = sizeof local;
  if (::getsockname(handle_.Get(), reinterpret_cast<sockaddr*>(&local), &length) != 0) return std::nullopt;
  std::uint8_t wire[2];
  std::memcpy(wire, &local.sin_port, sizeof wire);
  return static_cast<std::uint16_t>(wire[0] | (wire[1] << 8));
}

std::optional<TtlProbeEvent> TtlEchoSocket::Receive(std::span<std::uint8_t> buffer, int timeoutMs,
                                                    std::stop_token stop) {
  const std::uint32_t start = TickCount();
  for (;;) {
    if (!raw_) {
      if (auto queued = ReadErrorQueue(handle_.Get(), buffer)) return queued;
    }
    if (const auto datagram = ReadReadyDatagram(handle_.Get(), buffer)) {
      return TtlProbeEvent{TtlProbeEvent::Kind::kPacket, datagram->size, datagram->from.sin_addr.s_addr, raw_, 0, 0};
    }
    if (stop.stop_requested()) return std::nullopt;
    const int left = timeoutMs - static_cast<int>(TickCount() - start);
    if (left <= 0) return std::nullopt;
    // An entry in the error queue shows as POLLERR, whatever was asked for.
    pollfd entry{handle_.Get(), POLLIN, 0};
    const int ready = ::poll(&entry, 1, stop.stop_possible() ? std::min(left, kStopSliceMs) : left);
    if (ready < 0 && errno != EINTR) return std::nullopt;
  }
}

std::optional<TtlConnect> TtlConnect::Start(Ipv4NetOrder destination, std::uint16_t port, int ttl,
                                            std::string* whyNot) {
  SocketHandle handle(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP));
  if (!handle.Valid() || !SetIntOption(handle.Get(), IPPROTO_IP, IP_TTL, ttl) || !EnableErrorQueue(handle.Get())) {
    if (whyNot != nullptr) *whyNot = std::string("no TCP socket: ") + std::strerror(errno);
    return std::nullopt;
  }
  const sockaddr_in to = MakeSockaddr(destination, port);
  if (::connect(handle.Get(), reinterpret_cast<const sockaddr*>(&to), sizeof to) != 0 && errno != EINPROGRESS) {
    // Refused or unreachable at once: Finish reads why from the socket.
    if (errno != ECONNREFUSED && errno != EHOSTUNREACH && errno != ENETUNREACH) {
      if (whyNot != nullptr) *whyNot = std::string("connect failed: ") + std::strerror(errno);
      return std::nullopt;
    }
  }
  return TtlConnect(std::move(handle));
}

TtlConnect::Result TtlConnect::Finish(std::span<std::uint8_t> buffer, TtlProbeEvent& event) {
  if (auto queued = ReadErrorQueue(handle_.Get(), buffer)) {
    event = *queued;
    return Result::kIcmpError;
  }
  int error = 0;
  socklen_t length = sizeof error;
  if (::getsockopt(handle_.Get(), SOL_SOCKET, SO_ERROR, &error, &length) != 0) return Result::kFailed;
  if (error == ECONNREFUSED) return Result::kRefused;
  if (error != 0) return Result::kFailed;
  pollfd entry{handle_.Get(), POLLOUT, 0};
  if (::poll(&entry, 1, 0) == 1 && (entry.revents & POLLOUT) != 0) return Result::kConnected;
  return Result::kPending;
}

bool TtlProbesAvailable(std::string*) { return true; }

std::optional<std::string> ReverseName(Ipv4NetOrder address) {
  const sockaddr_in from = MakeSockaddr(address, 0);
  char host[NI_MAXHOST];
  if (::getnameinfo(reinterpret_cast<const sockaddr*>(&from), sizeof from, host, sizeof host, nullptr, 0,
                    NI_NAMEREQD) != 0) {
    return std::nullopt;
  }
  return std::string(host);
}

}  // namespace qnc
