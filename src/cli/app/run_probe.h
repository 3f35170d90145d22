#pragma once
#include <functional>
#include <ostream>
#include <string>

#include "cli/app/cli_options.h"
#include "core/probe/probe_session.h"
#include "platform/ip_config.h"

namespace qnc {

struct ProbeSessionEnvironment {
  std::ostream& out;
  std::ostream& err;
  // Polled about ten times a second; true ends the session (Ctrl-C).
  std::function<bool()> interrupted = [] { return false; };
  // Polled as often; true once for each request to re-read --config (SIGHUP).
  std::function<bool()> reloadRequested = [] { return false; };
  std::string routeTablePath = kRouteTablePath;
  std::uint32_t pauseMs = 1000;
  // Stands in for the system's name lookup (tests); empty: the system's.
  HostLookup lookup = {};
};

// Puts the rows the options ask for into the session's tables: the default
// rows unless rows are given, the configuration file's rows over them, then
// the given rows. False, with a message on err, when the configuration file is
// unusable.
bool FillTables(const CliOptions& options, ProbeSession& session, std::ostream& err);

// The session options that the command-line options and the environment ask for.
ProbeSessionOptions SessionOptionsFor(const CliOptions& options, const ProbeSessionEnvironment& environment);

// Fills the three tables, runs the three workers over them and prints every
// table after each of its passes (or, with --metrics-listen, serves their
// metrics instead). Returns the exit status.
int RunProbeSession(const CliOptions& options, ProbeSessionEnvironment& environment);

}  // namespace qnc
