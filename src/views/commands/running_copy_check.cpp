#include "views/commands/running_copy_check.h"

namespace qnc {

bool TakeSlotAndFindOtherCopies(CopyLockSlots& slots) {
  bool ownTaken = false;
  bool othersRunning = false;
  // Every slot is tried, so that a copy in a high slot is seen by one that
  // takes a low one.
  for (int slot = 0; slot < kCopyLockSlots; ++slot) {
    switch (slots.TryTake(slot)) {
      case CopyLockSlots::Attempt::kTaken:
        if (ownTaken) {
          slots.Release(slot);  // a free slot, left for the next copy
        } else {
          ownTaken = true;
        }
        break;
      case CopyLockSlots::Attempt::kHeldByOther:
        othersRunning = true;
        break;
      case CopyLockSlots::Attempt::kUnusable:
        break;
    }
  }
  return othersRunning;
}

}  // namespace qnc
