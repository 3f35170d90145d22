#include "probe/parallel_rows.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

namespace qnc {

void ForEachInParallel(std::size_t count, int parallel, std::stop_token stop,
                       const std::function<void(std::size_t)>& each) {
  std::atomic<std::size_t> next{0};
  const auto drain = [&] {
    for (std::size_t i = next.fetch_add(1); i < count && !stop.stop_requested(); i = next.fetch_add(1)) each(i);
  };
  const std::size_t helpers = std::min(count, static_cast<std::size_t>(std::max(parallel, 1))) - (count > 0 ? 1 : 0);
  std::vector<std::jthread> threads;
  threads.reserve(helpers);
  try {
    for (std::size_t t = 0; t < helpers; ++t) threads.emplace_back(drain);
  } catch (const std::system_error&) {
    // Fewer threads than asked for: those running and this one share the rows.
  }
  drain();
  // The jthreads join here; each ends when the rows run out or a stop is seen.
}

}  // namespace qnc
