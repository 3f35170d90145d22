#pragma once

namespace qnc {

// The lock slots by which copies of the program see each other: each running
// copy holds one slot; a slot held by a copy that has died counts as free.
// A front end implements them with its toolkit's lock files.
class CopyLockSlots {
 public:
  enum class Attempt {
    kTaken,        // free: now held by this copy until released
    kHeldByOther,  // held by another live copy
    kUnusable,     // could not be tried (no permission, no folder)
  };
  virtual ~CopyLockSlots() = default;
  virtual Attempt TryTake(int slot) = 0;
  virtual void Release(int slot) = 0;
};

// How many copies can be told apart; more than this all see each other.
inline constexpr int kCopyLockSlots = 16;

// The start-up check: this copy keeps the first free slot and releases every
// other one it tried; true when another copy holds a slot. The caller warns
// then, but starts all the same.
bool TakeSlotAndFindOtherCopies(CopyLockSlots& slots);

// The warning box a copy shows when it finds another one running: its
// caption and its text, with an OK button only.
inline constexpr const char* kRunningCopyCaption = "注意";
inline constexpr const char* kRunningCopyText = "工具已经运行，可能在右下角托盘，马上打开";

}  // namespace qnc
