#pragma once
#include <string>
#include <vector>

namespace qnc::web {

class WebViewModule;

// Where the browser module may be, in the order to try, for a program whose
// executable is in `programDir`: beside the installed program
// (<prefix>/lib/quorix-net-check/), and, for a program that runs from the
// build tree, where the build put it. Empty in a build without the module.
std::vector<std::string> WebViewModuleCandidates(const std::string& programDir);

// Loads the first of `candidates` that is a browser module and returns it;
// null when none is, with `failure` saying what went wrong with each. A
// module once loaded stays loaded for the rest of the process: Qt WebEngine
// cannot be unloaded safely.
const WebViewModule* LoadWebViewModule(const std::vector<std::string>& candidates, std::string& failure);

// This program's browser module: looked for on the first call only, from the
// GUI thread once the application object exists. Null when it cannot be
// loaded (said once on stderr) and in a build without it.
const WebViewModule* ProgramWebViewModule();

// Where the page program (the process the game pages show in) may be, in the
// order to try, for a program whose executable is in `programDir`: beside it
// (both are installed into the same folder), and, for a program that runs
// from the build tree, where the build put it. Empty in a build without the
// embedded browser.
std::vector<std::string> PageProgramCandidates(const std::string& programDir);

// This program's page program: the first candidate that is an executable
// file, looked for on each call (a program that was not there at start may
// be installed since); empty when there is none.
std::string ProgramPageProgram();

}  // namespace qnc::web
