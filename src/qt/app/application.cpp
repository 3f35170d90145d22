#include "qt/app/application.h"

#include <QApplication>
#include <QMessageBox>
#include <cstdio>
#include <cstdlib>

#include "qt/app/main_window.h"

namespace qnc {

void ShowRunningCopyWarning() { MakeRunningCopyWarning()->exec(); }

CQUORIX_NET_CHECKApp::CQUORIX_NET_CHECKApp(StartupOptions options) : options_(std::move(options)) {}

CQUORIX_NET_CHECKApp::~CQUORIX_NET_CHECKApp() = default;

void CQUORIX_NET_CHECKApp::InitInstance() {
  const QString folder =
      options_.instanceLockFolder.isEmpty() ? RunningCopyLock::DefaultFolder() : options_.instanceLockFolder;
  const bool foundRunningCopy = copyLock_.AcquireAndCheckOthers(folder);
  // A warning, never a refusal: start-up goes on once the user has closed it.
  if (foundRunningCopy) ShowRunningCopyWarning();

  window_ = std::make_unique<CQUORIX_NET_CHECKDlg>(options_.window);
  QObject::connect(window_.get(), &QDialog::finished, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
  window_->show();
}

int CQUORIX_NET_CHECKApp::ExitInstance() {
  if (window_ == nullptr) return 0;
  window_->hide();
  if (!window_->StopWorkers(options_.workerStopLimit)) {
    std::fflush(nullptr);
    std::quick_exit(0);
  }
  window_.reset();
  return 0;
}

}  // namespace qnc
