// The general number format used wherever a number becomes text: at most
// 15 significant digits, trailing zeros dropped, fixed notation unless the
// value is below 0.00001 or has more than 15 integer digits, in which case
// "E" notation without a plus sign or leading exponent zeros ("1E16",
// "2.3283064365387E-10"). The result is plain ASCII.
#pragma once

#include <string>

namespace nura {

std::string FormatGeneral(long double value);

}  // namespace nura
