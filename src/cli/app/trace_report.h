#pragma once
#include <string>

#include "core/route/route_model.h"
#include "core/route/route_reading.h"

namespace qnc {

// A traced route as text: a header line, one line per hop (its addresses,
// loss, probes, last, mean, best, worst, standard deviation and jitter in
// milliseconds, and its note), the verdict and its evidence.
std::string FormatTraceText(const RouteSnapshot& route, const RouteReading& reading);

// The same as one JSON object.
std::string FormatTraceJson(const RouteSnapshot& route, const RouteReading& reading);

}  // namespace qnc
