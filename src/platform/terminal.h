#pragma once
#include <string>
#include <vector>

namespace qnc {

// What a terminal program needs from its process's surroundings.

// Makes the console show the program's UTF-8 output as text. A Linux terminal
// already does; a Windows console is switched from its OEM code page to UTF-8.
void UseUtf8Console();

// From now on Ctrl-C, and the system's request to end the program (SIGTERM;
// on Windows also closing the console, logging off, shutting down), set the
// flag that InterruptRequested reads instead of ending the process at once.
void CatchInterrupts();
bool InterruptRequested();

// The program's arguments after its name, as UTF-8: on Windows read afresh in
// UTF-16, since argv holds them in the ANSI code page, which loses characters.
std::vector<std::string> CommandLineArguments(int argc, char** argv);

}  // namespace qnc
