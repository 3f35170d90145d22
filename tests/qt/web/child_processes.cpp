#include "child_processes.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <system_error>

namespace qnc::test {
namespace {

// The parent's pid from /proc/<pid>/stat; 0 when it cannot be read or the
// process has ended. The command name (field 2) is in parentheses and may
// hold spaces, so the fields are counted from its closing parenthesis.
pid_t LivingParentOf(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  const std::string stat{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  const auto close = stat.rfind(')');
  if (close == std::string::npos) return 0;
  std::istringstream fields(stat.substr(close + 1));
  std::string state;
  pid_t parent = 0;
  fields >> state >> parent;
  return fields && state != "Z" && state != "X" ? parent : 0;
}

std::string HelperTypeOf(pid_t pid) {
  std::ifstream file("/proc/" + std::to_string(pid) + "/cmdline");
  std::string argument;
  const std::string prefix = "--type=";
  while (std::getline(file, argument, '\0')) {
    if (argument.starts_with(prefix)) return argument.substr(prefix.size());
  }
  return {};
}

}  // namespace

long MemoryFieldKb(pid_t pid, const std::string& field, bool rollup) {
  std::ifstream file("/proc/" + std::to_string(pid) + (rollup ? "/smaps_rollup" : "/status"));
  const std::string label = field + ":";
  std::string line;
  while (std::getline(file, line)) {
    if (line.starts_with(label)) return std::strtol(line.c_str() + label.size(), nullptr, 10);
  }
  return 0;
}

long ResidentKb(pid_t pid) { return MemoryFieldKb(pid, "VmRSS"); }

std::vector<ChildProcess> ChildProcesses() {
  std::map<pid_t, pid_t> parents;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
    const std::string name = entry.path().filename().string();
    if (name.empty() || !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) continue;
    const auto pid = static_cast<pid_t>(std::stol(name));
    if (const pid_t parent = LivingParentOf(pid); parent != 0) parents[pid] = parent;
  }
  std::vector<ChildProcess> found;
  const pid_t self = getpid();
  for (const auto& [pid, parent] : parents) {
    // Walk up to this process or to the top; the chain is bounded by the
    // number of processes read, so a pid reused while reading cannot loop.
    pid_t up = parent;
    for (std::size_t steps = 0; up != self && up > 1 && steps < parents.size(); ++steps) {
      const auto next = parents.find(up);
      up = next != parents.end() ? next->second : 0;
    }
    if (up == self) found.push_back({pid, parent, HelperTypeOf(pid), ResidentKb(pid)});
  }
  return found;
}

}  // namespace qnc::test
