#include "qt/widgets/window_thread_call.h"

#include <QCoreApplication>
#include <QEvent>
#include <utility>

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#define QNC_HANDOFF_RELEASE(address) __tsan_release(address)
#define QNC_HANDOFF_ACQUIRE(address) __tsan_acquire(address)
#else
#define QNC_HANDOFF_RELEASE(address) static_cast<void>(address)
#define QNC_HANDOFF_ACQUIRE(address) static_cast<void>(address)
#endif

namespace qnc {
namespace {

const QEvent::Type kCallEventType = static_cast<QEvent::Type>(QEvent::registerEventType());

class CallEvent final : public QEvent {
 public:
  explicit CallEvent(std::function<void()> call) : QEvent(kCallEventType), call_(std::move(call)) {}
  void Run() const { call_(); }

 private:
  std::function<void()> call_;
};

}  // namespace

WindowThreadCall::WindowThreadCall(QObject* window) : QObject(window) {}

void WindowThreadCall::Post(std::function<void()> call) {
  auto* event = new CallEvent(std::move(call));
  QNC_HANDOFF_RELEASE(event);
  QCoreApplication::postEvent(this, event);  // takes ownership
}

bool WindowThreadCall::event(QEvent* event) {
  // Before anything of the event is read, its type included.
  QNC_HANDOFF_ACQUIRE(event);
  if (event->type() != kCallEventType) return QObject::event(event);
  static_cast<CallEvent*>(event)->Run();
  return true;
}

}  // namespace qnc
