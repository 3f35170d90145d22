#pragma once
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "core/gpu/gpu_worker.h"
#include "core/model/text_field.h"
#include "core/probe/probe_session.h"
#include "platform/thread_group.h"

namespace qnc {

// What a worker tells the main window, on the worker's own thread. A front
// end carries each notice over to its window thread (a queued call, a posted
// message) and never blocks the worker.
struct WorkerNotices {
  // The DNS worker set the server text. Coalesced: after one notice the next
  // comes only once the window has taken the text with TakeServerText.
  std::function<void()> serverTextChanged;
  // The GPU worker wrote a label: its control id (id::kGpuCountLabel or
  // id::kGpuUsageLabel) and its new text.
  std::function<void(int labelId, const std::string& text)> gpuLabelChanged;
};

// The part of the main window that is no toolkit's, the same for every front
// end: the probe session (tables and their three workers) and the GPU worker
// with its two labels' texts, started together and stopped together, and the
// workers' texts passed on to the window. The window owns one, creates its
// controls, calls Listen and then StartWorkers; its end stops the workers
// before any control goes.
class MainWindowCore {
 public:
  MainWindowCore(const ProbeSessionOptions& sessionOptions, GpuWorkerOptions gpuOptions = {});
  MainWindowCore(const MainWindowCore&) = delete;
  MainWindowCore& operator=(const MainWindowCore&) = delete;
  // Stops and joins the four workers; no notice reaches the window after.
  ~MainWindowCore();

  ProbeSession& Session() { return session_; }
  const ProbeSession& Session() const { return session_; }
  // What the GPU worker writes into labels 1010 (count) and 1009 (usage).
  TextFieldStore& GpuCountField() { return gpuCount_; }
  TextFieldStore& GpuUsageField() { return gpuUsage_; }
  // The text of the GPU label with this control id; "" for any other id.
  std::string GpuLabelText(int labelId) const;

  // Gives both GPU labels their start value "0", which they keep until a
  // reading succeeds, and passes the workers' changes on to `notices` from
  // now on. Before StartWorkers.
  void Listen(WorkerNotices notices);
  // No notice reaches the window from now on (its controls may be going).
  void StopListening();

  // Starts the DNS, ping and game workers, then the GPU worker; once.
  void StartWorkers();
  // Asks all four workers to stop and waits at most `limit` in all: true
  // when every one has ended (they are then joined). A worker still in a
  // blocking call stays to be joined later, and the answer is false.
  bool StopWorkers(std::chrono::milliseconds limit);
  // Asks all four to stop, then joins them however long that takes.
  void StopAndJoin();
  int RunningWorkers() const;

  // On the window's thread, answering serverTextChanged: the server text to
  // show now. The next change of the text notifies the window again.
  std::string TakeServerText();

 private:
  void NotifyServerText();

  ProbeSession session_;
  const GpuWorkerOptions gpuOptions_;
  TextFieldStore gpuCount_;
  TextFieldStore gpuUsage_;
  WorkerNotices notices_;
  std::atomic<bool> serverTextPending_{false};
  std::unique_ptr<GpuWorker> gpuWorker_;
  // Declared last: the thread stops and joins before anything it uses goes.
  ThreadGroup gpuThread_;
};

}  // namespace qnc
