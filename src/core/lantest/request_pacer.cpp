#include "core/lantest/request_pacer.h"

#include <algorithm>

namespace qnc {

RequestPacer::RequestPacer(std::int64_t replyBytes) : replyBytes_(std::max<std::int64_t>(replyBytes, 1)) {}

void RequestPacer::Received(std::int64_t bytes) {
  if (bytes > 0) received_ += bytes;
}

std::int64_t RequestPacer::Due() const {
  const std::int64_t allowed = kFirstWindow + received_ * 3 / (2 * replyBytes_);
  return std::max<std::int64_t>(allowed - sent_, 0);
}

}  // namespace qnc
