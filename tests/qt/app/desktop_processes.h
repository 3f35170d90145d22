#pragma once
// The programs a desktop test runs beside the window (an X server, a tray,
// a message bus), each ended with the test. Every wait is bounded.
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace qnc::test {

bool Executable(const std::string& path);
bool Exists(const std::string& path);

// Checks `done` every few milliseconds, without processing events, until it
// holds or `limit` passes; returns done().
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);

// A program run for the test, its output discarded. It dies with the test
// process, even when that crashes, and is ended (then killed if it lingers)
// when this object goes.
class ChildProcess {
 public:
  ChildProcess(const std::vector<std::string>& command, const std::vector<std::string>& extraEnvironment);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  bool Started() const { return pid_ > 0; }
  bool Exited();
  pid_t Pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

// An X server (Xvfb at `xvfb`) on a display number nobody uses, ready for
// clients, with one screen of `screen` (width x height x depth); null when
// none could start.
std::unique_ptr<ChildProcess> StartXServer(const std::string& xvfb, int& display,
                                           const std::string& screen = "800x600x24");

}  // namespace qnc::test
