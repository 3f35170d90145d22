#pragma once
#include <vector>

namespace qnc {

struct MenuTemplate;

// What a control of a window template is.
enum class ControlKind {
  kGroupBox,
  kLabel,  // static text
  kEdit,   // an edit box: one line unless styled multi-line
  kPushButton,
  kDropDownList,  // a list that drops down and takes no typing; its height includes the dropped list
  kListView,      // a report-style table
  kEtchedLine,    // a thin etched vertical separator
  kPicture,       // a built-in bitmap (ControlTemplate::bitmap), as large as the bitmap
  kWebBrowser,    // an embedded browser; the window creates it itself, the template gives its place
  kPaintArea,     // an area the window paints itself (a chart); the template gives its place
  kRichText,      // read-only text with headings, colours and lists; a front end without them shows it plain
};

// Style bits of a control; 0 is a visible control with the kind's defaults.
namespace style {
inline constexpr unsigned kHidden = 1u << 0;               // created without the visible style; nothing shows it
inline constexpr unsigned kDefaultButton = 1u << 1;        // the push button that Enter presses
inline constexpr unsigned kCentred = 1u << 2;              // label text centred rather than left-aligned
inline constexpr unsigned kMultiLine = 1u << 3;            // an edit of many lines
inline constexpr unsigned kReadOnly = 1u << 4;             // an edit the user cannot change
inline constexpr unsigned kHorizontalScrollBar = 1u << 5;  // a multi-line edit: lines never wrap, a scroll bar shows
inline constexpr unsigned kRightAligned = 1u << 6;         // label text against the right edge
inline constexpr unsigned kBold = 1u << 7;                 // label text in the bold face of the window's font
inline constexpr unsigned kSelectable = 1u << 8;           // label text the user may select and copy
}  // namespace style

// Style bits of a window. Every template window has a caption bar with the
// system menu and a close box, and a fixed frame.
namespace window_style {
inline constexpr unsigned kMinimizeBox = 1u << 0;
inline constexpr unsigned kMaximizeBox = 1u << 1;
inline constexpr unsigned kTaskBarButton = 1u << 2;  // a top-level window of its own rather than a dialog box
}  // namespace window_style

// A rectangle in dialog units: left, top, width, height.
struct DuRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;

  friend bool operator==(const DuRect&, const DuRect&) = default;
};

// One control of a window template. Id 0 marks a control whose id nothing
// uses. A picture takes only its position from the rectangle.
struct ControlTemplate {
  int id = 0;
  ControlKind kind = ControlKind::kLabel;
  const char* text = "";  // UTF-8
  DuRect rect;
  unsigned styles = 0;  // style:: bits
  int bitmap = 0;       // a picture's built-in bitmap
};

// The window's font: a face name and a size in points.
struct FontTemplate {
  const char* face = "MS Shell Dlg";
  int pointSize = 9;
};

// A fixed-size window described as data: its client area in dialog units of
// its font, its caption and its controls. Controls are created in table
// order, which is also the keyboard tab order (the group boxes come before
// the controls they frame, so they lie beneath them).
struct DialogTemplate {
  int id = 0;
  const char* caption = "";  // UTF-8
  int widthDu = 0;
  int heightDu = 0;
  FontTemplate font;
  unsigned windowStyle = 0;  // window_style:: bits
  // The control that holds the keyboard focus when the window opens; 0: the
  // first control in tab order that takes it.
  int focusId = 0;
  // The menu bar above the client area; null when there is none.
  const MenuTemplate* menuBar = nullptr;
  std::vector<ControlTemplate> controls;
};

// The control of `dialog` with this id; null when there is none (or id is 0).
const ControlTemplate* FindControl(const DialogTemplate& dialog, int id);

}  // namespace qnc
