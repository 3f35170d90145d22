#include "qt/app/running_copy.h"

#include <QDir>
#include <QLockFile>
#include <QMessageBox>
#include <QStandardPaths>

#include "views/templates/control_ids.h"

namespace qnc {

namespace {

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
  folder_ = folder;
  return TakeSlotAndFindOtherCopies(*this);
}

CopyLockSlots::Attempt RunningCopyLock::TryTake(int slot) {
  auto lock = std::make_unique<QLockFile>(LockPath(folder_, slot));
  // A live copy's lock never goes stale by age, only when its process has gone.
  lock->setStaleLockTime(0);
  if (lock->tryLock(0)) {
    held_[slot] = std::move(lock);
    return Attempt::kTaken;
  }
  return lock->error() == QLockFile::LockFailedError ? Attempt::kHeldByOther : Attempt::kUnusable;
}

void RunningCopyLock::Release(int slot) { held_.erase(slot); }

std::unique_ptr<QMessageBox> MakeRunningCopyWarning() {
  auto box = std::make_unique<QMessageBox>(QMessageBox::NoIcon, QString::fromUtf8(kRunningCopyCaption),
                                           QString::fromUtf8(kRunningCopyText), QMessageBox::Ok);
  box->setEscapeButton(QMessageBox::Ok);
  return box;
}

}  // namespace qnc
