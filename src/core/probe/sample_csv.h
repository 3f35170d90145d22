#pragma once
#include <chrono>
#include <string>
#include <string_view>

#include "core/model/table_kind.h"
#include "core/probe/sample.h"

namespace qnc {

// The exported form of samples, one CSV line each (RFC 4180, UTF-8):
//   time,table,target,round_trip_ms,outcome,reason
//   2026-12-10T16:09:47.123+08:00,ping,www.example.com,12.345,answered,ok
//   2026-12-10T16:09:48.200+08:00,game,host:443,,failed,refused
// The round trip has three decimals and is empty for a failed probe; outcome
// is "answered" or "failed"; reason is the failure's label. Lines end in "\n".

// The first line of a new file.
std::string_view SampleCsvHeader();

// One sample's line, with its line end. The target is made a single line of
// valid UTF-8 (control characters and malformed bytes become U+FFFD),
// quoted when it holds a comma or a quote, and led by ' when it starts with
// =, +, - or @, so that a spreadsheet never runs it as a formula.
std::string FormatSampleCsv(TableKind table, std::string_view target, const Sample& sample);

// ISO 8601 local time with milliseconds and the offset from UTC:
// 2026-12-10T16:09:47.123+08:00 (the fraction is cut, not rounded).
std::string FormatIsoTime(std::chrono::system_clock::time_point time);

}  // namespace qnc
