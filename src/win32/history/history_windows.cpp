#include "win32/history/history_windows.h"

#include <chrono>

namespace qnc {

HistoryWindows::HistoryWindows(ProbeSession& session, std::string gatewayAddress, std::function<void()> windowClosed)
    : session_(session), gatewayAddress_(std::move(gatewayAddress)), windowClosed_(std::move(windowClosed)) {}

HistoryWindows::~HistoryWindows() {
  // The windows go without telling anyone.
  windowClosed_ = nullptr;
  details_.clear();
  diagnosis_.reset();
}

RowDetailsWindow* HistoryWindows::OpenRowDetails(TableKind table, int index, HWND owner, HINSTANCE resources) {
  const RowRef row = session_.Table(table).RowAt(index);
  if (!row) return nullptr;
  ForgetClosed();
  std::unique_ptr<RowDetailsWindow>& window = details_[{table, row.id}];
  if (window == nullptr) {
    window = std::make_unique<RowDetailsWindow>(session_.Table(table), row.id, [this] {
      if (windowClosed_) windowClosed_();
    });
    if (!window->Open(owner, resources)) {
      details_.erase({table, row.id});
      return nullptr;
    }
  }
  window->Raise();
  return window.get();
}

DiagnosisWindow* HistoryWindows::OpenDiagnosis(HWND owner, HINSTANCE resources) {
  ForgetClosed();
  if (diagnosis_ == nullptr) {
    diagnosis_ = std::make_unique<DiagnosisWindow>(
        [this] { return SessionNetworkState(session_, gatewayAddress_, std::chrono::system_clock::now()); },
        [this] {
          if (windowClosed_) windowClosed_();
        });
    if (!diagnosis_->Open(owner, resources)) {
      diagnosis_.reset();
      return nullptr;
    }
  } else {
    diagnosis_->Run();
  }
  diagnosis_->Raise();
  return diagnosis_.get();
}

void HistoryWindows::CheckRows() {
  for (auto& [key, window] : details_) window->Follow();  // closes itself when its row is gone
}

void HistoryWindows::ForgetClosed() {
  std::erase_if(details_, [](const auto& entry) { return entry.second->Handle() == nullptr; });
  if (diagnosis_ != nullptr && diagnosis_->Handle() == nullptr) diagnosis_.reset();
}

}  // namespace qnc
