#pragma once
#include <chrono>
#include <string>
#include <vector>

#include "core/diagnosis/network_state.h"

namespace qnc {

// Where the trouble most likely is.
enum class Finding {
  kLocalNetwork,   // the LAN or Wi-Fi: the gateway itself loses packets or is slow
  kProviderRoute,  // the provider or the route: the gateway is fine, outside hosts are not
  kDns,            // the DNS server: look-ups slow or failing while pings are fine
  kSingleServer,   // one or a few servers alone, the others are fine
  kAllWell,        // nothing stands out
  kTooFewSamples,  // nothing has been measured long enough yet
};

// One conclusion in the program's own words: a headline and the rows and
// figures it rests on (UTF-8).
struct Verdict {
  Finding finding = Finding::kAllWell;
  std::string headline;
  std::vector<std::string> evidence;
};

// The thresholds. The diagnosis judges the samples of the recent window only
// (or those since the tables were last retested, when that is later), and a
// row counts only once it has kMinSamples samples in it.
namespace diagnosis {
inline constexpr std::chrono::seconds kWindow{120};
inline constexpr unsigned kMinSamples = 20;
// Loss is judged only from this many lost probes on: one lost ping in twenty
// is chance, not a fault.
inline constexpr unsigned kMinLost = 3;
// The gateway is one hop away: any loss or a few milliseconds of delay or
// jitter point at the LAN or the Wi-Fi link.
inline constexpr double kGatewayLossRatio = 0.02;
inline constexpr double kGatewaySlowMs = 20;
inline constexpr double kGatewayJitterMs = 10;
// A router may answer pings to itself only now and then while it forwards
// every packet. The gateway's loss is the LAN's only when the outside rows,
// whose packets cross the same link, lose at least this share of it too.
inline constexpr double kGatewayLossCarriedShare = 0.5;
// Outside hosts and game servers may be far away, so their delay alone says
// little; loss and jitter are what a game feels.
inline constexpr double kOutsideLossRatio = 0.03;
inline constexpr double kOutsideJitterMs = 30;
// The provider or route is blamed once this many outside rows, and at least
// half of those measured, are in trouble; a single one is that server's.
inline constexpr unsigned kRouteMinRows = 2;
// A look-up that fails this often or takes this long makes browsing slow (the
// DNS table's look-ups, and the ping and game rows' own name lookups).
inline constexpr double kDnsFailRatio = 0.10;
inline constexpr double kDnsSlowMs = 150;
}  // namespace diagnosis

// The verdicts on a state, most likely first; never empty. The trouble
// verdicts come in the order local network, provider or route, DNS, single
// servers (one verdict naming them all); without any, one kAllWell (or
// kTooFewSamples when no row has enough samples) sums the figures up. The
// first verdict's last evidence line says which window was judged.
std::vector<Verdict> Diagnose(const NetworkState& state);

}  // namespace qnc
