// Values written into desktop entries (.desktop files).
#pragma once

#include <string>

namespace nura {

// Text of a desktop-entry value: backslashes, line ends and tabs escaped.
std::string DesktopValue(const std::string& text);

// One argument of an Exec line: quoted, with the characters that the
// desktop-entry rules reserve escaped.
std::string ExecQuote(const std::string& arg);

}  // namespace nura
