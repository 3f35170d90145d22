#pragma once
#include <cstddef>
#include <functional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "core/probe/host_resolver.h"
#include "core/probe/probe_table.h"
#include "core/probe/sample_listener.h"
#include "core/probe/worker_loop.h"
#include "platform/ipv4.h"

namespace qnc {

// A due row whose host has an address.
struct AddressedRow {
  std::size_t due = 0;  // index into the due rows
  Ipv4NetOrder address = 0;
};

// Looks up the host of every due row (hostOf gives it from the row's target)
// before any of them is probed, so that no lookup runs inside a probe's
// timing. A row whose lookup fails is recorded at once, with the failure and
// the lookup's time, as when it is probed alone; the others are returned in
// table order. After a stop request nothing more is looked up or recorded.
std::vector<AddressedRow> ResolveDueRows(const std::vector<DueRow>& due, HostResolver& resolver, ProbeTable& table,
                                         const std::function<std::string(const std::string&)>& hostOf,
                                         const SampleListener& onSample, std::stop_token stop);

}  // namespace qnc
