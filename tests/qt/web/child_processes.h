#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace qnc::test {

// A process started, directly or through another, by this one: Qt WebEngine's
// helper processes, for instance.
struct ChildProcess {
  pid_t pid = 0;
  pid_t parent = 0;
  std::string type;  // the helper's --type= argument ("zygote", "renderer", ...); empty when it has none
  long residentKb = 0;
};

// Every living descendant of this process, read from /proc. Processes that
// have ended (zombies not yet reaped included) are left out.
std::vector<ChildProcess> ChildProcesses();

// The resident memory (VmRSS) of `pid` in kB; 0 when it cannot be read.
long ResidentKb(pid_t pid);

// One field of /proc/<pid>/status or, with `rollup`, of
// /proc/<pid>/smaps_rollup ("RssAnon", "Pss", ...), in kB; 0 when it cannot
// be read.
long MemoryFieldKb(pid_t pid, const std::string& field, bool rollup = false);

}  // namespace qnc::test
