// Which lock slot a starting copy keeps and whether it sees another copy.
#include "views/commands/running_copy_check.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace qnc {
namespace {

using Attempt = CopyLockSlots::Attempt;

// Slots answer as set up; any other slot is free. Notes what is held at the end.
class FakeSlots final : public CopyLockSlots {
 public:
  explicit FakeSlots(std::map<int, Attempt> answers) : answers_(std::move(answers)) {}
  Attempt TryTake(int slot) override {
    ++tries;
    const auto found = answers_.find(slot);
    const Attempt attempt = found == answers_.end() ? Attempt::kTaken : found->second;
    if (attempt == Attempt::kTaken) held.insert(slot);
    return attempt;
  }
  void Release(int slot) override { held.erase(slot); }

  int tries = 0;
  std::set<int> held;

 private:
  std::map<int, Attempt> answers_;
};

TEST(RunningCopyCheck, KeepsTheFirstFreeSlotAndSeesEveryOtherCopy) {
  struct Case {
    const char* name;
    std::map<int, Attempt> answers;
    bool othersRunning;
    std::set<int> held;
  };
  std::map<int, Attempt> allOthers;
  for (int slot = 0; slot < kCopyLockSlots; ++slot) allOthers[slot] = Attempt::kHeldByOther;
  const Case cases[] = {
      {"the only copy", {}, false, {0}},
      {"a copy in slot 0", {{0, Attempt::kHeldByOther}}, true, {1}},
      {"a copy in the last slot", {{kCopyLockSlots - 1, Attempt::kHeldByOther}}, true, {0}},
      {"an unusable slot is no copy", {{0, Attempt::kUnusable}, {2, Attempt::kUnusable}}, false, {1}},
      {"every slot taken: a warning and no slot", allOthers, true, {}},
  };
  for (const Case& c : cases) {
    FakeSlots slots(c.answers);
    EXPECT_EQ(TakeSlotAndFindOtherCopies(slots), c.othersRunning) << c.name;
    EXPECT_EQ(slots.held, c.held) << c.name;
    EXPECT_EQ(slots.tries, kCopyLockSlots) << c.name << ": every slot is looked at";
  }
}

}  // namespace
}  // namespace qnc
