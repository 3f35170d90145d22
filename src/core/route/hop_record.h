#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/route/route_model.h"
#include "platform/ipv4.h"

namespace qnc {

// One hop's counters and samples while a route is traced: running figures
// over the whole trace (constant memory) and a bounded ring of recent samples.
class HopRecord {
 public:
  explicit HopRecord(std::size_t samplesKept) : capacity_(samplesKept == 0 ? 1 : samplesKept) {}

  void RecordAnswer(Ipv4NetOrder from, std::int64_t roundTripUs);
  void RecordLoss();
  // The responders, the figures and the recent samples, as a view shows them.
  HopFigures Figures() const;
  const std::vector<HopResponder>& Responders() const { return responders_; }
  bool HasResponder(Ipv4NetOrder address) const;
  // Puts the reverse name to an address of this hop.
  void Name(Ipv4NetOrder address, const std::string& name);

 private:
  void Push(std::int32_t sample);

  std::size_t capacity_;
  std::vector<std::int32_t> ring_;  // oldest at next_ once full
  std::size_t next_ = 0;
  std::vector<HopResponder> responders_;
  std::uint32_t sent_ = 0;
  std::uint32_t lost_ = 0;
  std::uint32_t answered_ = 0;
  std::int64_t lastUs_ = 0;
  std::int64_t bestUs_ = 0;
  std::int64_t worstUs_ = 0;
  // Welford's running mean and sum of squared differences, in microseconds.
  double meanUs_ = 0;
  double squaresUs_ = 0;
  double jitterSumUs_ = 0;
};

}  // namespace qnc
