#pragma once
#include <string>
#include <string_view>

namespace qnc {

// Pieces of the Prometheus text exposition format (version 0.0.4), written
// straight into one string: a scrape of thousands of rows is mostly these.

// "# HELP name help\n# TYPE name type\n"
void AppendFamilyHeader(std::string& out, std::string_view name, std::string_view help, std::string_view type);

// name="value" with the value escaped (backslash, double quote, new line).
void AppendLabel(std::string& out, std::string_view name, std::string_view value);

// A sample value with 16 significant digits; "+Inf", "-Inf" and "NaN" for the
// special values.
void AppendValue(std::string& out, double value);

}  // namespace qnc
