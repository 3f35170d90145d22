#include "platform/thread_group.h"

#include <system_error>
#include <utility>

namespace qnc {

bool ThreadGroup::Start(std::function<void(std::stop_token)> body) {
  std::lock_guard lock(mutex_);
  JoinFinishedLocked();
  auto finished = std::make_shared<bool>(false);
  try {
    std::jthread thread([this, body = std::move(body), finished](std::stop_token stop) {
      body(std::move(stop));
      {
        std::lock_guard done(mutex_);
        *finished = true;
        --running_;
      }
      // The group outlives the thread (it joins it), so it is still there to notify.
      allFinished_.notify_all();
    });
    ++running_;  // under the lock, so the thread's own decrement comes after this
    members_.push_back(Member{std::move(finished), std::move(thread)});
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

std::size_t ThreadGroup::Running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

void ThreadGroup::JoinFinished() {
  std::lock_guard lock(mutex_);
  JoinFinishedLocked();
}

void ThreadGroup::JoinFinishedLocked() {
  // A finished body leaves only the thread's own exit, which takes no lock, so
  // these joins are short.
  members_.remove_if([](Member& member) {
    if (!*member.finished) return false;
    member.thread.join();
    return true;
  });
}

void ThreadGroup::RequestStop() {
  std::lock_guard lock(mutex_);
  for (auto& member : members_) member.thread.request_stop();
}

bool ThreadGroup::WaitFinished(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return allFinished_.wait_for(lock, limit, [this] { return running_ == 0; });
}

bool ThreadGroup::StopWithin(std::chrono::milliseconds limit) {
  RequestStop();
  if (!WaitFinished(limit)) return false;
  StopAndJoin();
  return true;
}

void ThreadGroup::StopAndJoin() {
  std::list<Member> members;
  {
    std::lock_guard lock(mutex_);
    members.swap(members_);
  }
  // Every thread hears the request before the first join waits, so they wind
  // down side by side.
  for (auto& member : members) member.thread.request_stop();
  for (auto& member : members) {
    if (member.thread.joinable()) member.thread.join();
  }
}

}  // namespace qnc
