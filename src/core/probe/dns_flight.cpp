#include "core/probe/dns_flight.h"

#include <array>
#include <cstring>
#include <vector>

#include "core/probe/in_flight.h"
#include "platform/udp_socket.h"

namespace qnc {

namespace {

using SteadyClock = std::chrono::steady_clock;

// The longest server text the DNS server box can hold; a longer one cannot be
// an address and is cut, as DnsOpen does.
constexpr std::size_t kServerTextLimit = 47;

// Where a query went and how long its question is: a reply must come from
// there and hold at least the header and the question.
struct QueryTarget {
  Ipv4NetOrder server = 0;
  std::uint16_t port = 0;
  std::size_t minimumReply = 0;
};

class DnsPass {
 public:
  DnsPass(UdpSocket& socket, std::span<const std::string> domains, const std::function<std::string()>& serverText,
          const DnsFlightOptions& options, const std::function<void(const DnsAnswer&)>& done)
      : socket_(socket),
        domains_(domains),
        serverText_(serverText),
        options_(options),
        done_(done),
        sent_(domains.size()) {}

  void Start(std::size_t index) {
    Sent& sent = sent_[index];
    sent.wall = std::chrono::system_clock::now();
    sent.steady = SteadyClock::now();
    sent.tick = options_.ticks->Now();
    const std::uint16_t queryId = FreeQueryId();
    const auto query = BuildDnsQuery(domains_[index], queryId);
    if (!query) {
      End(index, {FailureReason::kBadName, {}}, std::nullopt);
      return;
    }
    std::string server = serverText_();
    if (server.size() > kServerTextLimit) server.resize(kServerTextLimit);
    const QueryTarget target{InetAddr(server), options_.serverPort, query->size()};
    // A refusal reported for an earlier query of this socket makes the next
    // send fail once (its report stays queued for Receive): that send is
    // made again. A send the system refuses for itself (the all-ones address
    // of a text that is no address) leaves the query to time out, as a query
    // alone does.
    if (!socket_.SendTo(target.server, target.port, *query)) socket_.SendTo(target.server, target.port, *query);
    book_.Add(queryId, index, target, TickCount() + static_cast<std::uint32_t>(options_.replyTimeoutMs));
  }
  std::size_t InFlight() const { return book_.Size(); }
  std::optional<int> MsToNextDeadline(std::uint32_t now) { return book_.MsToNextDeadline(now); }
  void Expire(std::uint32_t now) {
    book_.ExpireAt(now, [this](const auto& entry) {
      End(entry.index, {FailureReason::kTimeout, SteadyClock::now() - sent_[entry.index].steady}, std::nullopt);
    });
  }
  void Receive(int waitMs, std::stop_token stop) {
    const std::span<std::uint8_t> buffer(buffer_.data(), buffer_.size() - 1);
    auto datagram = waitMs > 0 ? socket_.ReceiveFrom(buffer, waitMs, std::move(stop)) : socket_.ReceiveWaiting(buffer);
    while (datagram) {
      Handle(*datagram);
      datagram = socket_.ReceiveWaiting(buffer);
    }
  }

 private:
  struct Sent {
    std::chrono::system_clock::time_point wall;
    SteadyClock::time_point steady;
    std::uint32_t tick = 0;
  };

  // An identifier that no query in flight carries, counting up from 1.
  std::uint16_t FreeQueryId() {
    do {
      ++lastQueryId_;
    } while (lastQueryId_ == 0 || book_.Has(lastQueryId_));
    return lastQueryId_;
  }

  void Handle(const UdpSocket::Datagram& datagram) {
    const std::span<const std::uint8_t> bytes(buffer_.data(), datagram.length);
    const auto queryId = DnsMessageId(bytes);
    if (!queryId) return;
    const auto* entry = book_.Find(*queryId);
    // Stray datagrams (another sender, another query, a fragment) end nothing.
    if (entry == nullptr || entry->value.server != datagram.from || entry->value.port != datagram.fromPort) return;
    const std::size_t index = entry->index;
    const auto arrivedAt = SteadyClock::now();
    if (datagram.delivery != UdpSocket::Delivery::kDatagram) {
      book_.Remove(*queryId);
      const FailureReason reason =
          datagram.delivery == UdpSocket::Delivery::kRefused ? FailureReason::kRefused : FailureReason::kUnreachable;
      End(index, {reason, arrivedAt - sent_[index].steady}, std::nullopt);
      return;
    }
    if (bytes.size() < entry->value.minimumReply) return;
    book_.Remove(*queryId);
    const auto address = ParseDnsReply(bytes, *queryId);
    const FailureReason reason = address ? FailureReason::kNone : DnsReplyFailure(bytes);
    End(index, {reason, arrivedAt - sent_[index].steady}, address);
  }

  void End(std::size_t index, const ProbeOutcome& outcome, std::optional<Ipv4NetOrder> address) {
    done_(DnsAnswer{index, outcome, address, sent_[index].wall, options_.ticks->Now() - sent_[index].tick});
  }

  UdpSocket& socket_;
  std::span<const std::string> domains_;
  const std::function<std::string()>& serverText_;
  const DnsFlightOptions& options_;
  const std::function<void(const DnsAnswer&)>& done_;
  std::vector<Sent> sent_;
  FlightBook<std::uint16_t, QueryTarget> book_;
  std::uint16_t lastQueryId_ = 0;
  std::array<std::uint8_t, kDnsBufferSize> buffer_{};
};

}  // namespace

void QueryManyDomains(std::span<const std::string> domains, int burst, const std::function<std::string()>& serverText,
                      const DnsFlightOptions& options, std::stop_token stop,
                      const std::function<void(const DnsAnswer&)>& done) {
  auto socket = UdpSocket::Open();
  if (!socket) {
    const auto now = std::chrono::system_clock::now();
    for (std::size_t i = 0; i < domains.size() && !stop.stop_requested(); ++i) {
      done(DnsAnswer{i, {FailureReason::kLocalError, {}}, std::nullopt, now, 0});
    }
    return;
  }
  // A server with nothing on its port answers at once with an ICMP refusal.
  socket->ReportDeliveryErrors();
  DnsPass pass(*socket, domains, serverText, options, done);
  // The identifiers bound the queries in flight as well.
  RunInFlight(domains.size(), burst, kMaxProbesInFlight, std::move(stop), pass);
}

}  // namespace qnc
