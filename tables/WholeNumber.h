#pragma once

#include <string_view>

namespace tmq {

// Converts Windows-1252 text to a whole number: an optional sign, then
// decimal digits, or hexadecimal digits introduced by "$" or by "x" (either
// case, with or without a leading zero); nothing may follow the digits and
// the number must fit in a signed 32-bit integer. Anything else throws
// "'%s' no es un valor entero válido".
int parseWholeNumber(std::string_view text);

} // namespace tmq
