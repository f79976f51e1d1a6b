// Base64 (RFC 2045 alphabet with "=" padding).
#pragma once

#include <string>
#include <string_view>

namespace nura {

// One line, no breaks.
std::string Base64Encode(std::string_view bytes);

// Decodes text that may hold line breaks, blanks and other characters
// outside the alphabet anywhere; those are skipped. A "=" in the third
// place of a group ends it after one byte, in the fourth after two.
std::string Base64Decode(std::string_view text);

}  // namespace nura
