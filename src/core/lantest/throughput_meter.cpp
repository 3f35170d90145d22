#include "core/lantest/throughput_meter.h"

namespace qnc {

ThroughputMeter::ThroughputMeter(std::uint32_t lastReportTick) { fields_.lastReportTick = lastReportTick; }

void ThroughputMeter::Add(std::int64_t received, std::int64_t sent) {
  std::lock_guard lock(mutex_);
  if (received > 0) fields_.receivedTotal += received;
  if (sent > 0) fields_.sentTotal += sent;
}

void ThroughputMeter::SetLastReportTick(std::uint32_t tick) {
  std::lock_guard lock(mutex_);
  fields_.lastReportTick = tick;
}

bool ThroughputMeter::ReportIfDue(const TickSource& ticks, const std::function<void(const MeterDeltas&)>& write) {
  std::lock_guard lock(mutex_);
  const std::uint32_t now = ticks.Now();
  // Unsigned subtraction keeps the interval right across the 32-bit wrap.
  if (static_cast<std::uint32_t>(now - fields_.lastReportTick) < kReportIntervalMs) return false;
  fields_.lastReportTick = now;
  const std::int64_t sentTotal = fields_.sentTotal;
  const std::int64_t receivedTotal = fields_.receivedTotal;
  write(MeterDeltas{sentTotal - fields_.sentAtReport, receivedTotal - fields_.receivedAtReport});
  fields_.sentAtReport = sentTotal;
  fields_.receivedAtReport = receivedTotal;
  return true;
}

MeterReading ThroughputMeter::Read() const {
  std::lock_guard lock(mutex_);
  return fields_;
}

}  // namespace qnc
