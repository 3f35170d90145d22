#include "desktop_processes.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <thread>

namespace qnc::test {

using namespace std::chrono_literals;

bool Executable(const std::string& path) { return access(path.c_str(), X_OK) == 0; }

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return done();
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

ChildProcess::ChildProcess(const std::vector<std::string>& command, const std::vector<std::string>& extraEnvironment) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  // The extra entries come first, so they win over the test's own.
  std::vector<std::string> environment = extraEnvironment;
  for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int quiet = open("/dev/null", O_RDWR);
    dup2(quiet, 0);
    dup2(quiet, 1);
    dup2(quiet, 2);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
}

ChildProcess::~ChildProcess() {
  if (pid_ <= 0 || exited_) return;
  kill(pid_, SIGTERM);
  for (int waited = 0; waited < 300; ++waited) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) return;
    std::this_thread::sleep_for(10ms);
  }
  kill(pid_, SIGKILL);
  waitpid(pid_, nullptr, 0);
}

bool ChildProcess::Exited() {
  if (!exited_ && waitpid(pid_, nullptr, WNOHANG) == pid_) exited_ = true;
  return exited_;
}

namespace {

// The process id an X server writes into its display's lock file; 0 when
// there is none (yet).
pid_t LockHolder(const std::string& lockFile) {
  std::ifstream in(lockFile);
  long pid = 0;
  return (in >> pid) ? static_cast<pid_t>(pid) : 0;
}

}  // namespace

std::unique_ptr<ChildProcess> StartXServer(const std::string& xvfb, int& display, const std::string& screen) {
  for (display = 70; display < 100; ++display) {
    const std::string socket = "/tmp/.X11-unix/X" + std::to_string(display);
    if (Exists(socket) || Exists("/tmp/.X" + std::to_string(display) + "-lock")) continue;
    auto server = std::make_unique<ChildProcess>(
        std::vector<std::string>{xvfb, ":" + std::to_string(display), "-screen", "0", screen, "-nolisten", "tcp"},
        std::vector<std::string>{});
    if (!server->Started()) return nullptr;
    // Another server (of a test running beside this one) may take the number
    // first; this one then exits. The display is ours only once the lock file
    // names our server and its socket is there.
    const std::string lock = "/tmp/.X" + std::to_string(display) + "-lock";
    const auto ours = [&] { return LockHolder(lock) == server->Pid() && Exists(socket); };
    if (WaitFor([&] { return ours() || server->Exited(); }, 10s) && !server->Exited()) return server;
  }
  return nullptr;
}

}  // namespace qnc::test
