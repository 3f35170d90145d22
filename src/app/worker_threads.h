#pragma once
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace qnc {

// The window's worker threads. Every worker honours its stop token, but one
// that sits in the system's name lookup only sees it when the lookup returns,
// so stopping offers a bounded wait as well as a join.
class WorkerThreads {
 public:
  WorkerThreads() = default;
  WorkerThreads(const WorkerThreads&) = delete;
  WorkerThreads& operator=(const WorkerThreads&) = delete;
  // Requests a stop and joins every thread.
  ~WorkerThreads();

  void Start(std::function<void(std::stop_token)> body);
  void RequestStop();
  // Waits at most `limit` for every thread to finish; true when all have.
  bool WaitFinished(std::chrono::milliseconds limit);
  // Requests a stop and waits at most `limit`; when every thread has finished
  // they are joined and true is returned.
  bool StopWithin(std::chrono::milliseconds limit);
  // Requests a stop and joins every thread, however long that takes.
  void StopAndJoin();
  int Running() const;

 private:
  void Join();

  mutable std::mutex mutex_;
  std::condition_variable finished_;
  int running_ = 0;
  std::vector<std::jthread> threads_;
};

}  // namespace qnc
