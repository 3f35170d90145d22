#pragma once
#include <cstdio>
#include <string>

namespace qnc::test {

struct ProgramOutput {
  int status = -1;  // the exit status as the C library's pclose gives it; 0 for a clean exit
  std::string out;  // everything the program wrote to its standard output
};

// Runs a command line through the system's shell and collects its standard
// output. The command's words must need no quoting.
inline ProgramOutput RunCommand(const std::string& command) {
  ProgramOutput result;
#if defined(_WIN32)
  std::FILE* pipe = ::_popen(command.c_str(), "rb");
#else
  std::FILE* pipe = ::popen(command.c_str(), "r");
#endif
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (std::size_t count; (count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) result.out.append(buffer, count);
#if defined(_WIN32)
  result.status = ::_pclose(pipe);
#else
  result.status = ::pclose(pipe);
#endif
  return result;
}

}  // namespace qnc::test
