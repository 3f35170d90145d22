#include "core/diagnosis/network_state.h"

namespace qnc {

std::uint32_t RowHealth::LookupFailures() const {
  if (table == TableKind::kDns) return 0;
  std::uint32_t unsent = 0;
  for (const FailureReason reason : kAllFailureReasons) {
    if (IsLookupFailure(reason)) unsent += Failures(reason);
  }
  return unsent;
}

std::uint32_t RowHealth::Sent() const {
  const std::uint32_t unsent = LookupFailures();
  return samples > unsent ? samples - unsent : 0;
}

std::uint32_t RowHealth::Lost() const {
  if (table == TableKind::kDns) return failed;
  return Failures(FailureReason::kTimeout) + Failures(FailureReason::kUnreachable);
}

}  // namespace qnc
