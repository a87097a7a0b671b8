#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tmq {

// The whole number a Windows-1252 text spells: blanks, an optional sign, then
// decimal digits or hexadecimal ones introduced by "$", "x", "X", "0x" or "0X",
// with nothing after the digits and within the range of a signed 32-bit
// integer. None for any other text, the empty one included.
std::optional<int> wholeNumber(std::string_view text);

// The same, throwing "'TEXT' no es un valor entero válido" when `text` spells
// no whole number.
int parseWholeNumber(std::string_view text);

// The message for `text` not being a whole number, the text in UTF-8.
std::string notWholeNumberMessage(std::string_view text);

} // namespace tmq
