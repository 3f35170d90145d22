#pragma once
#include <vector>

namespace qnc {

// What a control of a window template is.
enum class ControlKind {
  kGroupBox,
  kLabel,          // static text, left-aligned
  kCentredLabel,   // static text, centred
  kEdit,           // one-line edit that scrolls horizontally
  kPushButton,
  kDefaultButton,  // the button that Enter presses
  kListView,       // report-style table
  kEtchedLine,     // a thin etched separator
  kPicture,        // a built-in picture (text: its resource path), as large as the picture
};

// A rectangle in dialog units: left, top, width, height.
struct DuRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};

// One control of a window template. Controls are created in table order, which
// is also the keyboard tab order. Id 0 marks a control whose id nothing uses.
// A picture takes only its position from the rectangle.
struct ControlTemplate {
  int id = 0;
  ControlKind kind = ControlKind::kLabel;
  const char* text = "";
  DuRect rect;
  bool hidden = false;
};

// A fixed-size window described as data: its client area in dialog units of
// its font, its caption and its controls.
struct DialogTemplate {
  int id = 0;
  const char* caption = "";
  int widthDu = 0;
  int heightDu = 0;
  int fontPointSize = 9;
  std::vector<ControlTemplate> controls;
};

}  // namespace qnc
