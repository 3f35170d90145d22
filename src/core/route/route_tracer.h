#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stop_token>
#include <vector>

#include "core/route/hop_prober.h"
#include "core/route/hop_record.h"
#include "core/route/route_model.h"

namespace qnc {

struct TraceOptions {
  int maxTtl = 30;
  // Rounds start this far apart; a round sends one probe to each hop, so no
  // router is asked more often than this.
  std::chrono::milliseconds interval{1000};
  // A probe not answered within this time is lost.
  std::chrono::milliseconds timeout{2000};
  // Until the destination's hop count is known, the probes of a round go out
  // this far apart, TTL 1 first, and none beyond the destination once it answers.
  std::chrono::milliseconds discoverySpacing{10};
  std::uint32_t rounds = 0;  // 0: until stopped
  std::size_t samplesKept = 3600;
};

// The route changes a trace keeps, the latest.
inline constexpr std::size_t kChangesKept = 100;

// The pace below which routers' answer limits show as loss.
inline constexpr std::chrono::milliseconds kGentleInterval{1000};

// Monotonic microseconds and wall time; tests drive both.
struct TraceClock {
  std::function<std::int64_t()> nowUs;
  std::function<std::chrono::system_clock::time_point()> wallNow;
  static TraceClock System();
};

// Traces one route round after round on the calling thread: probes every hop
// up to the destination (TTL 1 to maxTtl until it answers), matches each
// answer to its probe, and keeps each hop's responders and figures and the
// route changes. Not thread-safe: RouteTrace runs it on a thread of its own,
// under a lock while it advances, and hands out snapshots.
class RouteTracer {
 public:
  RouteTracer(HopProber& prober, TraceOptions options, TraceClock clock);

  // Does what is due now (a round to start, probes to send, probes to give
  // up) and gives the milliseconds until the next thing is due; nothing once
  // the rounds asked for are done and every probe answered or timed out.
  std::optional<int> Advance();
  // Takes an answer from the prober, received now or at receivedUs (on the
  // tracer's clock: taken before waiting for a lock, so the wait does not
  // count in the round trip).
  void Accept(const HopAnswer& answer);
  void Accept(const HopAnswer& answer, std::int64_t receivedUs);
  // Advances and waits for answers on the calling thread until done or stopped.
  void Run(std::stop_token stop);

  // Fills the hops, rounds and changes of a snapshot.
  void Fill(RouteSnapshot& snapshot) const;

 private:
  struct InFlight {
    int ttl = 0;
    std::uint32_t round = 0;
    std::int64_t sentUs = 0;
  };
  struct PendingSend {
    int ttl = 0;
    std::uint32_t round = 0;
    std::int64_t dueUs = 0;
  };
  // What a round saw, to compare with the round before once all its probes ended.
  struct RoundRecord {
    std::uint32_t round = 0;
    std::size_t open = 0;  // probes not yet sent or ended
    std::map<int, Ipv4NetOrder> responders;
    std::optional<int> destinationTtl;
  };

  int ProbeLimit() const;
  void StartRound(std::int64_t now);
  void SendDue(std::int64_t now);
  void ExpireDue(std::int64_t now);
  void Take(const HopAnswer& answer, std::int64_t now);
  void EndProbe(std::uint32_t round);
  void CloseFinishedRounds();
  void CompareWithLast(const RoundRecord& record);
  void SetDestinationTtl(int ttl, Ipv4NetOrder destination);
  void AddChange(RouteChange change);
  HopRecord& Hop(int ttl);
  RoundRecord* Round(std::uint32_t round);

  HopProber& prober_;
  TraceOptions options_;
  TraceClock clock_;
  std::int64_t nextRoundUs_ = 0;
  std::uint32_t roundsStarted_ = 0;
  std::uint16_t nextProbe_ = 1;
  std::vector<PendingSend> sends_;
  std::map<std::uint16_t, InFlight> inFlight_;
  std::deque<RoundRecord> openRounds_;
  std::optional<RoundRecord> lastClosed_;
  // The addresses each hop answered from in the rounds compared so far.
  // A new address at a settled hop: a change of route once the hop keeps
  // answering without its old addresses for a few rounds; the second link of
  // a balanced hop when an old address shows again.
  struct Candidate {
    std::chrono::system_clock::time_point at;
    std::vector<Ipv4NetOrder> seen;  // the addresses since
    std::uint32_t rounds = 0;
  };
  struct SettledHop {
    std::vector<Ipv4NetOrder> addresses;
    std::uint32_t rounds = 0;
    std::optional<Candidate> candidate;
  };

  std::vector<HopRecord> hops_;           // index ttl - 1
  std::vector<std::int64_t> lastSentUs_;  // by TTL - 1
  std::vector<SettledHop> settled_;       // by TTL - 1
  std::optional<int> destinationTtl_;
  std::vector<RouteChange> changes_;  // the latest kChangesKept
};

}  // namespace qnc
