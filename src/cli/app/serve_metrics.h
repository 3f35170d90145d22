#pragma once
#include "cli/app/cli_options.h"
#include "cli/app/run_probe.h"

namespace qnc {

// quorix-probe --metrics-listen: listens first (exit kExitFailed with the
// reason when it cannot, before anything is measured), then measures the
// tables until interrupted and serves their Prometheus metrics. Each reload
// request re-reads --config: new rows get series, removed rows lose theirs, and
// a file that cannot be used keeps the rows there are (the reason goes to err).
int ServeMetrics(const CliOptions& options, ProbeSessionEnvironment& environment);

}  // namespace qnc
