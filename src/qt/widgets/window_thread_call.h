#pragma once
#include <QObject>
#include <functional>

namespace qnc {

// Carries calls from worker threads to the thread of a window, without waiting
// for it. Create it on the window's thread as a child of the window: calls
// still queued when the window goes are dropped with it, so a call never runs
// on a destroyed window.
//
// Qt's event queue is what carries the call; its lock lives in Qt's own
// (uninstrumented) code, so under ThreadSanitizer the hand-off also tells the
// sanitizer that everything the worker wrote before posting is visible to the
// call. Without that, every hand-off would be reported as a race.
class WindowThreadCall final : public QObject {
 public:
  explicit WindowThreadCall(QObject* window);

  // Any thread. The call runs later on the window's thread.
  void Post(std::function<void()> call);

 protected:
  bool event(QEvent* event) override;
};

}  // namespace qnc
