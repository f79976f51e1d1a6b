// Formatting one value by a format text written in a script, such as
// "%.2f", "%5d", "%.3d", "%-8s" or "金額%m". The format is read here,
// directive by directive; it never reaches the C library's printf. Each
// directive's own letter decides how the value is read: d, u and x as an
// integer (the number truncated), e, f, g, n and m as a real, s as text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace nura {

// `number` is the value read as a number. Empty when the format is not
// valid: an unknown letter, an unfinished directive, a "*", or more
// directives than the one value. A number too large for a directive's
// integer is a range error.
std::optional<std::string> FormatOneValue(std::string_view format, const std::string& text,
                                          long double number);

}  // namespace nura
