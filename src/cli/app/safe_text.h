#pragma once
// Cell texts come from files, the command line and DNS servers; these turn
// them into text that is safe to print: nothing a terminal would obey, and
// JSON that is always valid UTF-8.
#include <cstddef>
#include <string>
#include <string_view>

namespace qnc {

// Terminal columns a UTF-8 text takes: East Asian wide characters take two,
// a malformed byte one.
std::size_t DisplayWidth(std::string_view utf8);

// The text with every control character (C0, DEL, C1) and every byte that is
// not part of valid UTF-8 written as a visible escape: \xNN for a byte,
// \u00NN for a C1 character. Other characters pass unchanged.
std::string EscapeForTerminal(std::string_view utf8);

// The text cut to at most maxColumns display columns, ending in "…" when cut.
std::string FitColumns(std::string_view utf8, std::size_t maxColumns);

// Appends text as a JSON string literal: quotes and backslashes escaped,
// controls as \uXXXX, each malformed UTF-8 byte as U+FFFD.
void AppendJsonString(std::string& out, std::string_view text);

}  // namespace qnc
