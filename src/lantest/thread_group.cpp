#include "lantest/thread_group.h"

#include <system_error>
#include <utility>

namespace qnc {

bool ThreadGroup::Start(std::function<void(std::stop_token)> body) {
  std::lock_guard lock(mutex_);
  JoinFinishedLocked();
  auto finished = std::make_shared<std::atomic<bool>>(false);
  try {
    std::jthread thread([body = std::move(body), finished](std::stop_token stop) {
      body(std::move(stop));
      finished->store(true);
    });
    members_.push_back(Member{std::move(finished), std::move(thread)});
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

std::size_t ThreadGroup::Running() const {
  std::lock_guard lock(mutex_);
  std::size_t running = 0;
  for (const auto& member : members_) {
    if (!member.finished->load()) ++running;
  }
  return running;
}

void ThreadGroup::JoinFinished() {
  std::lock_guard lock(mutex_);
  JoinFinishedLocked();
}

void ThreadGroup::JoinFinishedLocked() {
  // A finished body leaves only the thread's own exit, so these joins are short.
  members_.remove_if([](Member& member) {
    if (!member.finished->load()) return false;
    member.thread.join();
    return true;
  });
}

void ThreadGroup::StopAndJoin() {
  std::list<Member> members;
  {
    std::lock_guard lock(mutex_);
    members.swap(members_);
  }
  for (auto& member : members) member.thread.request_stop();
  for (auto& member : members) {
    if (member.thread.joinable()) member.thread.join();
  }
}

}  // namespace qnc
