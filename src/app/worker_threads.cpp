#include "app/worker_threads.h"

namespace qnc {

WorkerThreads::~WorkerThreads() { StopAndJoin(); }

void WorkerThreads::StopAndJoin() {
  RequestStop();
  Join();
}

void WorkerThreads::Start(std::function<void(std::stop_token)> body) {
  {
    std::lock_guard lock(mutex_);
    ++running_;
  }
  threads_.emplace_back([this, work = std::move(body)](std::stop_token stop) {
    work(std::move(stop));
    {
      std::lock_guard lock(mutex_);
      --running_;
    }
    finished_.notify_all();
  });
}

void WorkerThreads::RequestStop() {
  for (auto& thread : threads_) thread.request_stop();
}

bool WorkerThreads::WaitFinished(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  return finished_.wait_for(lock, limit, [this] { return running_ == 0; });
}

bool WorkerThreads::StopWithin(std::chrono::milliseconds limit) {
  RequestStop();
  if (!WaitFinished(limit)) return false;
  Join();
  return true;
}

int WorkerThreads::Running() const {
  std::lock_guard lock(mutex_);
  return running_;
}

void WorkerThreads::Join() {
  for (auto& thread : threads_) {
    if (thread.joinable()) thread.join();
  }
  threads_.clear();
}

}  // namespace qnc
