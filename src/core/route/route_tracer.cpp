#include "core/route/route_tracer.h"

#include <algorithm>
#include <limits>
#include <string>

#include "platform/ipv4.h"

namespace qnc {

namespace {

constexpr std::int64_t kUsPerMs = 1000;
// A hop's responders count as settled once it has answered in this many
// rounds; an address first seen after that may be a change of route, or the
// second link of a balanced hop showing for the first time.
constexpr std::uint32_t kSettledRounds = 3;
// It is a change once the hop answers only from new addresses for this many
// rounds; an old address among them makes it a balanced hop.
constexpr std::uint32_t kConfirmingRounds = 3;

std::int64_t Us(std::chrono::milliseconds ms) { return static_cast<std::int64_t>(ms.count()) * kUsPerMs; }

std::string Addresses(const std::vector<Ipv4NetOrder>& addresses) {
  std::string text;
  for (const Ipv4NetOrder address : addresses) text += (text.empty() ? "" : "/") + FormatIpv4(address);
  return text;
}

}  // namespace

TraceClock TraceClock::System() {
  return {[] {
            return std::chrono::duration_cast<std::chrono::microseconds>(
                       std::chrono::steady_clock::now().time_since_epoch())
                .count();
          },
          [] { return std::chrono::system_clock::now(); }};
}

RouteTracer::RouteTracer(HopProber& prober, TraceOptions options, TraceClock clock)
    : prober_(prober), options_(options), clock_(std::move(clock)) {
  options_.maxTtl = std::clamp(options_.maxTtl, 1, 255);
}

int RouteTracer::ProbeLimit() const { return destinationTtl_.value_or(options_.maxTtl); }

HopRecord& RouteTracer::Hop(int ttl) {
  while (static_cast<int>(hops_.size()) < ttl) hops_.emplace_back(options_.samplesKept);
  return hops_[static_cast<std::size_t>(ttl - 1)];
}

RouteTracer::RoundRecord* RouteTracer::Round(std::uint32_t round) {
  for (RoundRecord& record : openRounds_) {
    if (record.round == round) return &record;
  }
  return nullptr;
}

void RouteTracer::StartRound(std::int64_t now) {
  const std::uint32_t round = roundsStarted_++;
  const int limit = ProbeLimit();
  openRounds_.push_back(RoundRecord{round, static_cast<std::size_t>(limit), {}, {}});
  const std::int64_t spacing = destinationTtl_ ? 0 : Us(options_.discoverySpacing);
  for (int ttl = 1; ttl <= limit; ++ttl) sends_.push_back({ttl, round, now + spacing * (ttl - 1)});
  nextRoundUs_ = now + Us(options_.interval);
}

void RouteTracer::SendDue(std::int64_t now) {
  if (lastSentUs_.size() < static_cast<std::size_t>(options_.maxTtl)) {
    lastSentUs_.resize(static_cast<std::size_t>(options_.maxTtl), std::numeric_limits<std::int64_t>::min() / 2);
  }
  std::vector<PendingSend> waiting;
  for (PendingSend& send : sends_) {
    if (send.dueUs > now) {
      waiting.push_back(send);
      continue;
    }
    if (send.ttl > ProbeLimit()) {  // beyond the destination: not probed
      EndProbe(send.round);
      continue;
    }
    // However rounds fall, a hop is asked at most once per interval.
    std::int64_t& last = lastSentUs_[static_cast<std::size_t>(send.ttl - 1)];
    if (now < last + Us(options_.interval)) {
      send.dueUs = last + Us(options_.interval);
      waiting.push_back(send);
      continue;
    }
    std::uint16_t probe = nextProbe_++;
    while (probe == 0 || inFlight_.contains(probe)) probe = nextProbe_++;
    last = now;
    if (prober_.Send(probe, send.ttl)) {
      inFlight_[probe] = InFlight{send.ttl, send.round, now};
    } else {
      Hop(send.ttl).RecordLoss();
      EndProbe(send.round);
    }
  }
  sends_.assign(waiting.begin(), waiting.end());
}

void RouteTracer::ExpireDue(std::int64_t now) {
  for (auto it = inFlight_.begin(); it != inFlight_.end();) {
    if (it->second.sentUs + Us(options_.timeout) > now) {
      ++it;
      continue;
    }
    if (it->second.ttl <= ProbeLimit()) Hop(it->second.ttl).RecordLoss();
    prober_.Forget(it->first);
    const std::uint32_t round = it->second.round;
    it = inFlight_.erase(it);
    EndProbe(round);
  }
}

void RouteTracer::Take(const HopAnswer& answer, std::int64_t now) {
  const auto found = inFlight_.find(answer.probe);
  if (found == inFlight_.end()) return;  // late, or not ours
  const InFlight probe = found->second;
  inFlight_.erase(found);
  if (answer.reachedDestination) {
    if (!destinationTtl_ || probe.ttl < *destinationTtl_) SetDestinationTtl(probe.ttl, answer.from);
  } else if (destinationTtl_ && probe.ttl >= *destinationTtl_) {
    // A router answers where the destination did: the route got longer.
    AddChange(RouteChange{clock_.wallNow(),
                          probe.ttl,
                          {},
                          answer.from,
                          "目标不再在第" + std::to_string(*destinationTtl_) + "跳回应，路由变长"});
    destinationTtl_.reset();
  }
  if (probe.ttl <= ProbeLimit()) {
    Hop(probe.ttl).RecordAnswer(answer.from, now - probe.sentUs);
    if (RoundRecord* record = Round(probe.round)) {
      record->responders[probe.ttl] = answer.from;
      if (answer.reachedDestination) record->destinationTtl = probe.ttl;
    }
  }
  EndProbe(probe.round);
}

void RouteTracer::SetDestinationTtl(int ttl, Ipv4NetOrder destination) {
  // The destination answering at a lower TTL than before moved closer only
  // where a router used to answer at that TTL; a TTL whose probes had all been
  // lost (loss while the route was first found) just had not shown it yet.
  if (destinationTtl_ && ttl < *destinationTtl_ && ttl <= static_cast<int>(hops_.size())) {
    const auto& responders = hops_[static_cast<std::size_t>(ttl - 1)].Responders();
    const bool routerThere = std::any_of(responders.begin(), responders.end(),
                                         [&](const HopResponder& r) { return r.address != destination; });
    if (routerThere) {
      AddChange(RouteChange{
          clock_.wallNow(),
          ttl,
          {},
          0,
          "目标从第" + std::to_string(*destinationTtl_) + "跳提前到第" + std::to_string(ttl) + "跳，路由变短"});
    }
  }
  destinationTtl_ = ttl;
  // Hops beyond the destination were probed only while it was unknown.
  if (static_cast<int>(hops_.size()) > ttl) hops_.erase(hops_.begin() + ttl, hops_.end());
}

void RouteTracer::EndProbe(std::uint32_t round) {
  if (RoundRecord* record = Round(round)) {
    if (record->open > 0) --record->open;
  }
  CloseFinishedRounds();
}

void RouteTracer::CloseFinishedRounds() {
  while (!openRounds_.empty() && openRounds_.front().open == 0) {
    CompareWithLast(openRounds_.front());
    openRounds_.pop_front();
  }
}

void RouteTracer::CompareWithLast(const RoundRecord& record) {
  if (settled_.size() < hops_.size()) settled_.resize(hops_.size());
  std::optional<RouteChange> change;
  int changedHops = 0;
  const auto contains = [](const std::vector<Ipv4NetOrder>& list, Ipv4NetOrder address) {
    return std::find(list.begin(), list.end(), address) != list.end();
  };
  for (const auto& [ttl, address] : record.responders) {
    if (ttl > static_cast<int>(settled_.size())) continue;
    SettledHop& hop = settled_[static_cast<std::size_t>(ttl - 1)];
    ++hop.rounds;
    if (hop.candidate) {
      Candidate& candidate = *hop.candidate;
      if (contains(hop.addresses, address)) {
        // An old address again: the hop is balanced over more links than it had shown.
        for (const Ipv4NetOrder seen : candidate.seen) hop.addresses.push_back(seen);
        hop.candidate.reset();
        continue;
      }
      if (!contains(candidate.seen, address)) candidate.seen.push_back(address);
      if (++candidate.rounds < kConfirmingRounds) continue;
      ++changedHops;
      if (!change) change = RouteChange{candidate.at, ttl, hop.addresses, candidate.seen.front(), ""};
      hop.addresses = candidate.seen;
      hop.candidate.reset();
      continue;
    }
    if (contains(hop.addresses, address)) continue;
    if (hop.rounds > kSettledRounds) {
      hop.candidate = Candidate{clock_.wallNow(), {address}, 1};
    } else {
      hop.addresses.push_back(address);
    }
  }
  if (!change) return;
  change->text =
      "第" + std::to_string(change->ttl) + "跳由 " + Addresses(change->before) + " 变为 " + FormatIpv4(change->after);
  if (changedHops > 1) change->text += "（共 " + std::to_string(changedHops) + " 跳变化）";
  AddChange(*change);
}

void RouteTracer::AddChange(RouteChange change) {
  if (changes_.size() >= kChangesKept) changes_.erase(changes_.begin());
  changes_.push_back(std::move(change));
}

std::optional<int> RouteTracer::Advance() {
  const std::int64_t now = clock_.nowUs();
  const bool moreRounds = options_.rounds == 0 || roundsStarted_ < options_.rounds;
  if (moreRounds && (roundsStarted_ == 0 || now >= nextRoundUs_)) StartRound(now);
  SendDue(now);
  ExpireDue(now);
  const bool allStarted = options_.rounds != 0 && roundsStarted_ >= options_.rounds;
  if (allStarted && sends_.empty() && inFlight_.empty()) return std::nullopt;
  std::int64_t next = std::numeric_limits<std::int64_t>::max();
  if (!allStarted) next = nextRoundUs_;
  for (const PendingSend& send : sends_) next = std::min(next, send.dueUs);
  for (const auto& [probe, flight] : inFlight_) next = std::min(next, flight.sentUs + Us(options_.timeout));
  const std::int64_t waitUs = std::max<std::int64_t>(0, next - now);
  return static_cast<int>(std::min<std::int64_t>((waitUs + kUsPerMs - 1) / kUsPerMs, 60000));
}

void RouteTracer::Accept(const HopAnswer& answer) { Take(answer, clock_.nowUs()); }

void RouteTracer::Accept(const HopAnswer& answer, std::int64_t receivedUs) { Take(answer, receivedUs); }

void RouteTracer::Run(std::stop_token stop) {
  while (const auto waitMs = Advance()) {
    if (stop.stop_requested()) return;
    if (const auto answer = prober_.Wait(*waitMs, stop)) Accept(*answer);
  }
}

void RouteTracer::Fill(RouteSnapshot& snapshot) const {
  snapshot.rounds = roundsStarted_;
  snapshot.destinationTtl = destinationTtl_;
  snapshot.changes = changes_;
  snapshot.hops.clear();
  std::size_t shown = hops_.size();
  // Without the destination, the silent TTLs after the last answer say nothing.
  if (!destinationTtl_) {
    while (shown > 0 && hops_[shown - 1].Responders().empty()) --shown;
  }
  for (std::size_t i = 0; i < shown; ++i) {
    HopSnapshot hop;
    hop.ttl = static_cast<int>(i + 1);
    hop.responders = hops_[i].Responders();
    hop.figures = hops_[i].Figures();
    hop.isDestination = destinationTtl_ && hop.ttl == *destinationTtl_;
    snapshot.hops.push_back(std::move(hop));
  }
}

}  // namespace qnc
