#pragma once
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/lantest/lan_log.h"

namespace qnc {

// The thread-safe log behind the test dialog. It keeps the text as a list of
// pieces, so putting a line in front costs the same at the ten-thousandth
// line as at the first, and it gathers the changes since the view last looked
// so that the view can apply them in one go on its own thread.
class LanLogStore final : public LanLog {
 public:
  void Replace(std::string_view text) override;
  void Prepend(std::string_view line) override;
  void Append(std::string_view line) override;

  // The whole current text.
  std::string Text() const;

  // The changes since the last call, folded into one: when `replaced`, the
  // view's text becomes `base`; then `front` goes before and `back` after it.
  struct Changes {
    bool replaced = false;
    std::string base;
    std::string front;
    std::string back;
    bool Empty() const { return !replaced && front.empty() && back.empty(); }
  };
  Changes TakeChanges();

  // Called after a change when the view has no unread changes yet, on the
  // writing thread and outside the store's lock: the view schedules one
  // TakeChanges on its own thread. Changes are gathered only while a listener
  // is set; the first TakeChanges after setting one gives the whole text. An
  // empty function detaches the view.
  void SetChangeListener(std::function<void()> listener);

 private:
  // Under mutex_: records a change and says whether the listener must hear of it.
  bool MarkChanged();
  std::string JoinedPieces() const;
  void Notify(bool needed);

  mutable std::mutex mutex_;
  std::deque<std::string> pieces_;
  bool pendingReplace_ = false;
  std::string pendingBase_;
  std::vector<std::string> pendingFront_;  // in arrival order; the newest goes first
  std::string pendingBack_;
  bool viewNotified_ = false;
  std::function<void()> listener_;
};

}  // namespace qnc
