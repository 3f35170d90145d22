#pragma once
#include <string>
#include <vector>

namespace qnc {

// What a terminal program needs from its process's surroundings.

// Makes the console show the program's UTF-8 output as text. A Linux terminal
// already does; a Windows console is switched from its OEM code page to UTF-8
// and back to the code pages it had when the program ends (after a Ctrl-C
// too, which ends the run rather than the process).
void UseUtf8Console();

// From now on Ctrl-C, and the system's request to end the program (SIGTERM;
// on Windows also closing the console, logging off, shutting down), set the
// flag that InterruptRequested reads instead of ending the process at once.
void CatchInterrupts();
bool InterruptRequested();

// From now on a reload request (SIGHUP, which service managers send) sets a
// flag that TakeReloadRequest reads and clears. Windows has no such request:
// there the flag never rises.
void CatchReloadRequests();
bool TakeReloadRequest();

// Writes past the process's file size limit fail (and the writer can say so)
// instead of ending the process. Nothing to do on Windows, which has no such
// limit.
void FailWritesPastFileSizeLimit();

// The program's arguments after its name, as UTF-8: on Windows read afresh in
// UTF-16, since argv holds them in the ANSI code page, which loses characters.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace qnc
