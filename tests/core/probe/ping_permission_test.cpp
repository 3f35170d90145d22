// A ping without the right to send one records why: Linux's process rights
// and its ICMP datagram socket setting make the case.
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

#include "core/probe/icmp_probe.h"
#include "platform/ipv4.h"
#include "platform/ticks.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

// A ping from a process that may open no ICMP socket: a child in a network
// namespace of its own that admits no group to ICMP datagram sockets and that
// has given up root. Its exit status is the reason it recorded.
TEST(FailureReasons, APingWithoutTheRightToSendSaysSo) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to set up the child";
  const pid_t child = fork();
  if (child == 0) {
    constexpr uid_t kNobody = 65534;
    if (unshare(CLONE_NEWNET) != 0) _exit(100);
    std::ofstream("/proc/sys/net/ipv4/ping_group_range") << "1 0\n";
    if (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
        setresuid(kNobody, kNobody, kNobody) != 0) {
      _exit(101);
    }
    EchoCounters counters;
    const ProbeOutcome outcome = Ping(*ParseDottedQuad("127.0.0.1"), counters, SystemTicks(), 200);
    _exit(static_cast<int>(outcome.reason));
  }
  ASSERT_GT(child, 0);
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      FAIL() << "the child did not finish";
    }
    std::this_thread::sleep_for(10ms);
  }
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) >= 100) GTEST_SKIP() << "could not set up the child (" << WEXITSTATUS(status) << ")";
  EXPECT_EQ(static_cast<FailureReason>(WEXITSTATUS(status)), FailureReason::kNoPermission);
}

}  // namespace
}  // namespace qnc
