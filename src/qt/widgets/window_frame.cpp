#include "qt/widgets/window_frame.h"

#include <algorithm>

#include "views/templates/dialog_template.h"

namespace qnc {

Qt::WindowFlags WindowFlagsFor(unsigned windowStyle) {
  Qt::WindowFlags flags = (windowStyle & window_style::kTaskBarButton) != 0 ? Qt::Window : Qt::Dialog;
  flags |=
      Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint;
  if ((windowStyle & window_style::kMinimizeBox) != 0) flags |= Qt::WindowMinimizeButtonHint;
  if ((windowStyle & window_style::kMaximizeBox) != 0) flags |= Qt::WindowMaximizeButtonHint;
  return flags;
}

namespace {

// The start of a span of `length` centred in [start, start + room), moved
// inside it; when it does not fit, it starts where the room starts.
int CentredInside(int start, int room, int length) {
  const int centred = start + (room - length) / 2;
  return std::max(start, std::min(centred, start + room - length));
}

}  // namespace

QPoint PlacedOnScreen(const QRect& available, const QSize& frameSize) {
  return QPoint(CentredInside(available.x(), available.width(), frameSize.width()),
                CentredInside(available.y(), available.height(), frameSize.height()));
}

}  // namespace qnc
