#include "app/running_copy.h"

#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <QStandardPaths>

#include "ui/control_ids.h"

namespace qnc {

namespace {

// How many copies can be told apart; more than this all see each other.
constexpr int kLockSlots = 16;

QString LockPath(const QString& folder, int slot) {
  return QDir(folder).filePath(QString::fromUtf8(kMainWindowTitle) + QStringLiteral(".%1.lock").arg(slot));
}

}  // namespace

RunningCopyLock::RunningCopyLock() = default;

RunningCopyLock::~RunningCopyLock() = default;

QString RunningCopyLock::DefaultFolder() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

bool RunningCopyLock::AcquireAndCheckOthers(const QString& folder) {
  QDir().mkpath(folder);
  bool othersRunning = false;
  for (int slot = 0; slot < kLockSlots; ++slot) {
    auto lock = std::make_unique<QLockFile>(LockPath(folder, slot));
    // A live copy's lock never goes stale by age, only when its process has gone.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
      if (held_ == nullptr) held_ = std::move(lock);  // this copy's own slot
      continue;                                      // a free slot: released again
    }
    if (lock->error() == QLockFile::LockFailedError) othersRunning = true;
  }
  return othersRunning;
}

std::unique_ptr<QMessageBox> MakeRunningCopyWarning() {
  auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, QStringLiteral("注意"),
                                           QStringLiteral("工具已经运行，可能在右下角托盘，马上打开"), QMessageBox::Ok);
  box->setEscapeButton(QMessageBox::Ok);
  return box;
}

}  // namespace qnc
