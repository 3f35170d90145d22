#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/route/route_model.h"
#include "platform/ipv4.h"

namespace qnc {

// The stretch of the route a hop belongs to.
enum class RouteSegment : std::uint8_t {
  kHome,                // the home network, up to and including the gateway
  kProviderAccess,      // the provider's access: its private and shared addresses, then its first public hops
  kWiderRoute,          // the backbones between the provider and the destination's network
  kDestinationNetwork,  // the destination and the hops of its own network
};

// The segment's name in the program's words ("家庭网络", ...).
std::string_view SegmentName(RouteSegment segment);

enum class RouteFinding : std::uint8_t {
  kTooFewRounds,       // not measured long enough to say anything
  kNoAnswer,           // no hop answered at all
  kLoss,               // loss starts at a hop and goes on to the destination
  kLatencyStep,        // the round trip rises at a hop and stays up to the destination
  kDestinationSilent,  // the hops answer, the destination does not (it ignores the probes)
  kAllWell,            // nothing stands out
};

// How one hop reads.
struct HopReading {
  int ttl = 0;
  RouteSegment segment = RouteSegment::kWiderRoute;
  // The loss of this hop and the later ones up to the destination (their
  // median): what the route itself loses from here on.
  double carriedLossPercent = 0;
  // The round trip that this hop and every later hop keep at least.
  std::optional<double> keptLatencyMs;
  // This hop's own loss or slowness does not carry on: the router answers
  // probes to itself sparingly or slowly while it forwards normally.
  bool lossNotCarried = false;
  bool slowNotKept = false;
  bool troubleStartsHere = false;
  std::string note;  // a short text for the hop's line; "" when there is nothing to say
};

struct RouteReading {
  RouteFinding finding = RouteFinding::kAllWell;
  std::optional<int> troubleTtl;  // kLoss, kLatencyStep: the first hop where it starts and persists
  std::optional<RouteSegment> troubleSegment;
  std::string headline;               // the verdict, in the program's words
  std::vector<std::string> evidence;  // figures it rests on, advice, notes on pace and route changes
  std::vector<HopReading> hops;       // one per hop of the snapshot, in order
};

namespace route_reading {
// A hop is judged once the destination (or the last answering hop) has this
// many probes behind it.
inline constexpr std::uint32_t kMinRounds = 5;
// Loss counts from this share and this many lost probes on.
inline constexpr double kLossPercent = 3.0;
inline constexpr std::uint32_t kMinLost = 3;
// A round trip that rises by this much at one hop and stays up is a step.
inline constexpr double kLatencyStepMs = 30.0;
// A hop's loss carries on unless some later hop surely loses less (the 95 %
// intervals of the two losses, from their counts, do not meet); then it is the
// hop's own, and from kOwnLossNotePercent on it gets its note.
inline constexpr double kOwnLossNotePercent = 3.0;
inline constexpr double kOwnSlowNoteMs = 30.0;
}  // namespace route_reading

// Reads a traced route: each hop's segment (gateway: this machine's default
// gateway, when known), which loss and delay carry on to the destination, and
// the verdict naming the first hop where trouble starts and persists.
RouteReading ReadRoute(const RouteSnapshot& route, std::optional<Ipv4NetOrder> gateway);

// The note on a hop that drops probes to itself but forwards normally.
inline constexpr std::string_view kRateLimitedNote = "该节点限速回应，不影响转发";

}  // namespace qnc
