#include "views/window_core/main_window_core.h"

#include <algorithm>
#include <utility>

#include "views/templates/control_ids.h"

namespace qnc {

namespace {

// What both GPU labels show until the first successful reading.
constexpr const char* kGpuLabelStartText = "0";

}  // namespace

MainWindowCore::MainWindowCore(const ProbeSessionOptions& sessionOptions, GpuWorkerOptions gpuOptions)
    : session_(sessionOptions), gpuOptions_(std::move(gpuOptions)) {}

MainWindowCore::~MainWindowCore() {
  StopAndJoin();
  StopListening();
}

std::string MainWindowCore::GpuLabelText(int labelId) const {
  if (labelId == id::kGpuCountLabel) return gpuCount_.Text();
  if (labelId == id::kGpuUsageLabel) return gpuUsage_.Text();
  return {};
}

void MainWindowCore::Listen(WorkerNotices notices) {
  notices_ = std::move(notices);
  gpuCount_.StoreText(kGpuLabelStartText);
  gpuUsage_.StoreText(kGpuLabelStartText);
  session_.DnsServer().SetChangedListener([this](const std::string&) { NotifyServerText(); });
  gpuCount_.SetChangedListener([this](const std::string& text) {
    if (notices_.gpuLabelChanged) notices_.gpuLabelChanged(id::kGpuCountLabel, text);
  });
  gpuUsage_.SetChangedListener([this](const std::string& text) {
    if (notices_.gpuLabelChanged) notices_.gpuLabelChanged(id::kGpuUsageLabel, text);
  });
}

void MainWindowCore::StopListening() {
  // A listener already called finishes its notice; the workers are stopped
  // by now, so none starts another.
  session_.DnsServer().SetChangedListener(nullptr);
  gpuCount_.SetChangedListener(nullptr);
  gpuUsage_.SetChangedListener(nullptr);
}

void MainWindowCore::NotifyServerText() {
  // On the DNS worker's thread: while one notice waits for the window, the
  // window reads the newest text anyway, so further ones would only flood it.
  if (serverTextPending_.exchange(true)) return;
  if (notices_.serverTextChanged) notices_.serverTextChanged();
}

std::string MainWindowCore::TakeServerText() {
  // Cleared before the read: a change after it notifies again, and one
  // before it is in the text read here.
  serverTextPending_.store(false);
  return session_.DnsServer().Text();
}

void MainWindowCore::StartWorkers() {
  // In this order: the three probe workers, then the GPU worker.
  session_.Start();
  gpuWorker_ = std::make_unique<GpuWorker>(gpuCount_, gpuUsage_, gpuOptions_);
  gpuThread_.Start([worker = gpuWorker_.get()](std::stop_token stop) { worker->Run(std::move(stop)); });
}

bool MainWindowCore::StopWorkers(std::chrono::milliseconds limit) {
  using std::chrono::milliseconds;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  // All four hear the request before the first wait.
  session_.RequestStop();
  gpuThread_.RequestStop();
  const bool probesEnded = session_.StopWithin(limit);
  const auto left = std::chrono::duration_cast<milliseconds>(deadline - std::chrono::steady_clock::now());
  const bool gpuEnded = gpuThread_.StopWithin(std::max(left, milliseconds(0)));
  return probesEnded && gpuEnded;
}

void MainWindowCore::StopAndJoin() {
  // All four hear the request before the first join waits.
  session_.RequestStop();
  gpuThread_.RequestStop();
  session_.StopAndJoin();
  gpuThread_.StopAndJoin();
}

int MainWindowCore::RunningWorkers() const { return static_cast<int>(session_.Running() + gpuThread_.Running()); }

}  // namespace qnc
