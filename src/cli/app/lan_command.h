#pragma once
#include <ostream>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "core/probe/probe_session.h"

namespace qnc {

// The headless LAN test of the command-line front end, on the same engines
// as the dialog:
//   lan-server [--port N]
//   lan-client --address A [--port N] [--connections 1|4|8] [--mode both|download|upload] [--seconds S]
//              [--latency-ping HOST]... [--latency-game HOST:PORT]... [--idle-seconds S] [--json]
// args[0] is the subcommand word ("lan-server" or "lan-client"), the rest its
// options. The log lines and the diagnostic lines go to `out`; a request on
// `stop` ends the run cleanly. Returns 0 on success; 1 with a message on
// `err` when the test did not do its job: the server could not listen, or the
// client measured nothing (no connection, the server turned it away, no data)
// or its connections all ended before the time was up (the message gives the
// seconds measured); 2 with a message on `err` for bad options.
int RunLanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::stop_token stop);
// The same, with latencyOptions saying how the rows watched under load are
// probed (tests shorten the pace and name the route table).
int RunLanCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err, std::stop_token stop,
                  const ProbeSessionOptions& latencyOptions);

// The usage lines of both subcommands.
void PrintLanUsage(std::ostream& out);

// True for the subcommand words that RunLanCommand takes.
bool IsLanCommand(std::string_view word);

inline constexpr std::string_view kLanServerCommand = "lan-server";
inline constexpr std::string_view kLanClientCommand = "lan-client";

}  // namespace qnc
