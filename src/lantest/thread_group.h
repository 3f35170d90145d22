#pragma once
#include <atomic>
#include <cstddef>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>

namespace qnc {

// The threads of one kind that a LAN test owner started (listeners,
// connections, clients). Every thread is stoppable through its stop token and
// is joined by its owner, so none outlives the object its work refers to.
class ThreadGroup {
 public:
  ThreadGroup() = default;
  ThreadGroup(const ThreadGroup&) = delete;
  ThreadGroup& operator=(const ThreadGroup&) = delete;
  ~ThreadGroup() { StopAndJoin(); }

  // Runs body on a new thread; false when no thread could be created.
  bool Start(std::function<void(std::stop_token)> body);
  // Threads whose body has not returned yet.
  std::size_t Running() const;
  // Joins the threads whose body has returned.
  void JoinFinished();
  // Asks every thread to stop and waits for all of them.
  void StopAndJoin();

 private:
  struct Member {
    std::shared_ptr<std::atomic<bool>> finished;
    std::jthread thread;
  };
  void JoinFinishedLocked();

  mutable std::mutex mutex_;
  std::list<Member> members_;
};

}  // namespace qnc
