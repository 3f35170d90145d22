#pragma once
#include <QString>
#include <map>
#include <memory>

#include "views/commands/running_copy_check.h"

class QLockFile;
class QMessageBox;

namespace qnc {

// Tells whether another copy of the program runs for the same user. The lock
// slots are lock files named after the main window's title in the user's
// runtime folder; a lock held by a copy that has died counts as free.
class RunningCopyLock final : public CopyLockSlots {
 public:
  RunningCopyLock();
  ~RunningCopyLock() override;

  // Takes a free slot for this copy; true when another copy holds one.
  bool AcquireAndCheckOthers(const QString& folder);

  // The folder used when none is given: the user's runtime folder.
  static QString DefaultFolder();

  Attempt TryTake(int slot) override;
  void Release(int slot) override;

 private:
  QString folder_;
  std::map<int, std::unique_ptr<QLockFile>> held_;
};

// The warning shown when another copy is already running: caption "注意",
// OK button only.
std::unique_ptr<QMessageBox> MakeRunningCopyWarning();

}  // namespace qnc
