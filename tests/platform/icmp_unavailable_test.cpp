// Whether the process may open an ICMP socket, seen from a child process that
// sits in a network namespace of its own (so that its ping_group_range is its
// own to set) and, where the case asks, has dropped root for "nobody".
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "platform/icmp_socket.h"

namespace qnc {
namespace {

using namespace std::chrono_literals;

constexpr uid_t kNobody = 65534;

struct Case {
  const char* name;
  bool dropRoot;
  const char* pingGroupRange;  // written into the namespace's net.ipv4.ping_group_range
  bool expectUnavailable;
};

// What IcmpUnavailableReason says in the child: "-" when it can open a
// socket, else the reason; nothing when the child could not be set up.
std::optional<std::string> ReasonInChild(const Case& c) {
  int fds[2];
  if (pipe(fds) != 0) return std::nullopt;
  const pid_t child = fork();
  if (child == 0) {
    close(fds[0]);
    if (unshare(CLONE_NEWNET) != 0) _exit(2);
    std::ofstream("/proc/sys/net/ipv4/ping_group_range") << c.pingGroupRange << '\n';
    if (c.dropRoot && (setgroups(0, nullptr) != 0 || setresgid(kNobody, kNobody, kNobody) != 0 ||
                       setresuid(kNobody, kNobody, kNobody) != 0)) {
      _exit(3);
    }
    const std::string answer = IcmpUnavailableReason().value_or("-");
    const bool written = write(fds[1], answer.data(), answer.size()) == static_cast<ssize_t>(answer.size());
    _exit(written ? 0 : 4);
  }
  close(fds[1]);
  if (child < 0) {
    close(fds[0]);
    return std::nullopt;
  }
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (waitpid(child, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      break;
    }
    std::this_thread::sleep_for(5ms);
  }
  std::string answer;
  char buffer[512];
  for (ssize_t got; (got = read(fds[0], buffer, sizeof buffer)) > 0;) {
    answer.append(buffer, static_cast<std::size_t>(got));
  }
  close(fds[0]);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return answer;
}

TEST(IcmpUnavailableReason, NamesBothMissingPermissionsOnlyWhenNoSocketOpens) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to make a network namespace and become nobody";
  const Case cases[] = {
      {"root", false, "1 0", false},
      {"nobody, ICMP datagram sockets off", true, "1 0", true},
      {"nobody in the allowed groups", true, "0 2147483647", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::optional<std::string> answer = ReasonInChild(c);
    ASSERT_TRUE(answer.has_value()) << "the child could not be set up";
    if (!c.expectUnavailable) {
      EXPECT_EQ(*answer, "-");
      continue;
    }
    // The reason names what would fix it: the raw socket's capability and
    // the datagram socket's group range.
    EXPECT_NE(answer->find("CAP_NET_RAW"), std::string::npos) << *answer;
    EXPECT_NE(answer->find("ping_group_range"), std::string::npos) << *answer;
  }
}

}  // namespace
}  // namespace qnc
