#pragma once
#include <cstddef>
#include <functional>
#include <stop_token>

namespace qnc {

// Calls each(i) for every i below count, on up to `parallel` threads at once,
// and returns when all calls have returned. Indexes are taken in order as
// threads come free; after a stop request no new index is started. When no
// thread can be had, the remaining calls run on the calling thread.
void ForEachInParallel(std::size_t count, int parallel, std::stop_token stop,
                       const std::function<void(std::size_t)>& each);

}  // namespace qnc
