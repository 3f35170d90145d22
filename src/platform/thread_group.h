#pragma once
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace qnc {

// Threads that one owner started and must stop and join before the objects
// their work refers to go (probe workers, LAN test listeners, connections,
// clients). Every body honours its stop token, but one that sits in a call the
// token cannot reach (a system name lookup) only sees it when the call
// returns, so stopping offers a bounded wait as well as a join.
class ThreadGroup {
 public:
  ThreadGroup() = default;
  ThreadGroup(const ThreadGroup&) = delete;
  ThreadGroup& operator=(const ThreadGroup&) = delete;
  // Asks every thread to stop and joins them all.
  ~ThreadGroup() { StopAndJoin(); }

  // Runs body on a new thread (joining those that have finished first); false
  // when no thread could be created.
  bool Start(std::function<void(std::stop_token)> body);
  // Threads whose body has not returned yet.
  std::size_t Running() const;
  // Joins the threads whose body has returned.
  void JoinFinished();
  // Asks every thread to stop, without waiting.
  void RequestStop();
  // Waits at most `limit` for every body to return; true when all have.
  bool WaitFinished(std::chrono::milliseconds limit);
  // Asks every thread to stop and waits at most `limit`: when every body has
  // returned the threads are joined and the answer is true; otherwise the
  // stragglers stay in the group to be joined later.
  bool StopWithin(std::chrono::milliseconds limit);
  // Asks every thread to stop and joins them all, however long that takes.
  void StopAndJoin();

 private:
  struct Member {
    std::shared_ptr<bool> finished;  // guarded by mutex_
    std::jthread thread;
  };
  void JoinFinishedLocked();

  mutable std::mutex mutex_;
  std::condition_variable allFinished_;
  std::size_t running_ = 0;
  std::list<Member> members_;
};

}  // namespace qnc
