#pragma once
#include <windows.h>

namespace qnc {

class RowDetailsModel;

// Paints the latency chart of the model's samples into `area` of `dc` with
// `font`: the scale's lines and figures on the left, the latency line (the
// first, lowest, highest and last latency of each pixel column), the failures
// as marks along the bottom, the latencies above a capped scale as marks along
// the top, the times of day below and the legend above.
void PaintLatencyChart(HDC dc, const RECT& area, HFONT font, const RowDetailsModel& model);

}  // namespace qnc
