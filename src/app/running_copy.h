#pragma once
#include <QString>
#include <memory>
#include <vector>

class QLockFile;
class QMessageBox;

namespace qnc {

// Tells whether another copy of the program runs for the same user. Each copy
// holds one of a few lock files named after the main window's title in the
// user's runtime folder; a lock held by a copy that has died counts as free.
class RunningCopyLock {
 public:
  RunningCopyLock();
  ~RunningCopyLock();

  // Takes a free lock for this copy; true when another copy holds one.
  bool AcquireAndCheckOthers(const QString& folder);

  // The folder used when none is given: the user's runtime folder.
  static QString DefaultFolder();

 private:
  std::unique_ptr<QLockFile> held_;
};

// The warning shown when another copy is already running: caption "注意",
// OK button only.
std::unique_ptr<QMessageBox> MakeRunningCopyWarning();

}  // namespace qnc
