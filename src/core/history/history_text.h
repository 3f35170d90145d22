#pragma once
// How the history windows write figures and moments: one form for the
// statistics, the failure list, the chart and the diagnosis alike.
#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace qnc {

// What a figure that does not exist yet (no answer, no failure) shows.
inline constexpr std::string_view kNoFigureText = "—";

// A round trip in milliseconds: two decimals under a millisecond (a LAN), one
// under 100 ms, none above ("0.25 ms", "12.5 ms", "230 ms").
std::string MillisecondsText(double valueMs);
// The same, or kNoFigureText for nothing.
std::string MillisecondsText(const std::optional<double>& valueMs);

// A moment on the local clock: "2026-12-11 09:25:18".
std::string DateTimeText(std::chrono::system_clock::time_point time);
// The time of day of a moment on the local clock: "09:25:18".
std::string TimeOfDayText(std::chrono::system_clock::time_point time);

}  // namespace qnc
