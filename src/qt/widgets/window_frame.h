#pragma once
#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <Qt>

namespace qnc {

// The Qt window flags of a template window's frame (window_style:: bits): a
// caption bar with the system menu and a close box, a fixed frame, and the
// minimise and maximise boxes and task-bar button where the style asks.
Qt::WindowFlags WindowFlagsFor(unsigned windowStyle);

// The top-left corner of a window frame of `frameSize` centred in the free
// area of a screen (`available`) and then moved wholly inside it. A frame
// larger than the area keeps its top-left corner in it, so that the caption
// bar can always be reached.
QPoint PlacedOnScreen(const QRect& available, const QSize& frameSize);

// The frame a window system usually draws around a window (a caption bar on
// top), assumed until it tells the real one.
inline constexpr QMargins kTypicalFrame{8, 32, 8, 8};

}  // namespace qnc
