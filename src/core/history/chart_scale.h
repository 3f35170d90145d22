#pragma once
// The latency scale of a row's chart, worked out without any toolkit: where
// its top is, its lines and their figures, and which latencies lie above it.
#include <span>
#include <string>
#include <vector>

namespace qnc {

struct LatencyScale {
  double topMs = 0;   // the highest value on the scale
  double stepMs = 0;  // between two scale lines
  // The lines from 0 up to the top, each with its figure ("2500 ms", "0.2 ms").
  std::vector<double> lineValuesMs;
  std::vector<std::string> lineLabels;
  // True when some latencies lie above the top: they are drawn as marks at
  // the top edge rather than stretching the scale.
  bool capped = false;
  std::size_t aboveTop = 0;  // how many latencies lie above the top
  double highestMs = 0;      // the highest latency of all
};

// The scale for `latenciesMs` (the answered probes, in any order). The top is
// a round figure (1, 2 or 5 times a power of ten, at least 0.1 ms, so that the
// round trips of a LAN or loopback still show their shape) above the highest
// latency, with at most five lines. Where a few spikes (a lost SYN retried after
// a second, say) lie far above the usual range, the scale ends above the 95th
// percentile instead, so that one spike does not flatten the usual line.
LatencyScale ComputeLatencyScale(std::span<const double> latenciesMs);

// A figure of the scale as plain decimal text with as many decimals as the step
// needs ("1000 ms", "2500 ms", "0.25 ms"), never in exponent form.
std::string ScaleLabel(double valueMs, double stepMs);

}  // namespace qnc
