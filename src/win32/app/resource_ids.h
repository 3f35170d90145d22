#pragma once

namespace qnc::resource {

// Icon 129 is the window's (title bar, task bar, Alt+Tab); icon 128
// (id::kTrayIcon) the notification area's; bitmap 132 (id::kAboutPicture)
// the About box's picture. app.rc gives them the same numbers.
inline constexpr int kWindowIcon = 129;

}  // namespace qnc::resource
