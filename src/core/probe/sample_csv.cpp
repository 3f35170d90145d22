#include "core/probe/sample_csv.h"

#include <cstdio>
#include <cstdlib>

#include "core/config/text_encoding.h"
#include "core/probe/table_schema.h"
#include "platform/local_time.h"

namespace qnc {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

// A spreadsheet takes a cell that starts with one of these for a formula
// (and runs it); a target name is free text from the rows or a file.
bool StartsLikeAFormula(std::string_view text) {
  return !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' || text[0] == '@');
}

// One CSV field of free text. Control characters (tab and carriage return
// among them) never reach the field, and a field that would start a formula
// starts with a quote mark instead, which spreadsheets show as text.
std::string CsvField(std::string_view text) {
  const std::string valid = ToValidUtf8(text);
  std::string field;
  field.reserve(valid.size() + 3);
  if (StartsLikeAFormula(valid)) field += '\'';
  bool quote = false;
  for (const char c : valid) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F) {
      field += kReplacement;  // a line break would split the line
      continue;
    }
    if (c == ',' || c == '"') quote = true;
    if (c == '"') field += '"';
    field += c;
  }
  return quote ? '"' + field + '"' : field;
}

}  // namespace

std::string_view SampleCsvHeader() { return "time,table,target,round_trip_ms,outcome,reason\n"; }

std::string FormatIsoTime(std::chrono::system_clock::time_point time) {
  using namespace std::chrono;
  const auto millis = floor<milliseconds>(time).time_since_epoch().count();
  const std::int64_t seconds = millis >= 0 ? millis / 1000 : -((-millis + 999) / 1000);
  const auto fraction = static_cast<int>(millis - seconds * 1000);
  const LocalTime local = ToLocalTime(seconds).value_or(LocalTime{1970, 1, 1, 0, 0, 0, 0});
  const int offset = std::abs(local.utcOffsetMinutes);
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", local.year, local.month, local.day,
                local.hour, local.minute, local.second, fraction, local.utcOffsetMinutes < 0 ? '-' : '+', offset / 60,
                offset % 60);
  return text;
}

std::string FormatSampleCsv(TableKind table, std::string_view target, const Sample& sample) {
  std::string line = FormatIsoTime(sample.time);
  line += ',';
  line += SchemaOf(table).name;
  line += ',';
  line += CsvField(target);
  line += ',';
  if (sample.Answered()) {
    char trip[32];
    std::snprintf(trip, sizeof trip, "%u.%03u", sample.roundTripUs / 1000, sample.roundTripUs % 1000);
    line += trip;
  }
  line += sample.Answered() ? ",answered," : ",failed,";
  line += FailureLabel(sample.outcome);
  line += '\n';
  return line;
}

}  // namespace qnc
