#include "tables/WholeNumber.h"

#include "base/Cp1252.h"
#include "base/Error.h"

#include <charconv>
#include <limits>

namespace tmq {

std::optional<int> wholeNumber(std::string_view text)
{
    std::size_t at = text.find_first_not_of(' ');
    if (at == std::string_view::npos)
        return std::nullopt;

    bool negative = false;
    if (text[at] == '+' || text[at] == '-') {
        negative = text[at] == '-';
        ++at;
    }

    int base = 10;
    const std::string_view rest = text.substr(at);
    if (rest.starts_with('$') || rest.starts_with('x') || rest.starts_with('X')) {
        base = 16;
        at += 1;
    } else if (rest.starts_with("0x") || rest.starts_with("0X")) {
        base = 16;
        at += 2;
    }

    // An unsigned parse takes no sign of its own, so "-$-1" and "+-1" fail.
    const char* const begin = text.data() + at;
    const char* const end = text.data() + text.size();
    unsigned long long magnitude = 0;
    const auto [stop, error] = std::from_chars(begin, end, magnitude, base);
    if (begin == end || error != std::errc{} || stop != end)
        return std::nullopt;

    constexpr auto kMax = static_cast<unsigned long long>(std::numeric_limits<int>::max());
    if (negative) {
        if (magnitude > kMax + 1)
            return std::nullopt;
        return static_cast<int>(-static_cast<long long>(magnitude));
    }
    if (magnitude > kMax)
        return std::nullopt;
    return static_cast<int>(magnitude);
}

int parseWholeNumber(std::string_view text)
{
    if (const std::optional<int> value = wholeNumber(text))
        return *value;
    throw Error(notWholeNumberMessage(text));
}

std::string notWholeNumberMessage(std::string_view text)
{
    return "'" + cp1252ToUtf8(text) + "' no es un valor entero válido";
}

} // namespace tmq
