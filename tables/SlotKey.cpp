#include "tables/SlotKey.h"

#include <charconv>

namespace tmq {

std::optional<int> weekdayOfLetter(char letter)
{
    const std::size_t weekday = kWeekdayLetters.find(letter);
    if (weekday == std::string_view::npos)
        return std::nullopt;
    return static_cast<int>(weekday);
}

void makeSlotKey(std::string& key, int weekday, int period)
{
    key.clear();
    if (weekday >= 0 && weekday < static_cast<int>(kWeekdayLetters.size()))
        key += kWeekdayLetters[static_cast<std::size_t>(weekday)];
    key += std::to_string(period);
}

std::optional<SlotPlace> readSlotKey(std::string_view key)
{
    if (key.size() < 2)
        return std::nullopt;
    const std::optional<int> weekday = weekdayOfLetter(key.front());
    if (!weekday)
        return std::nullopt;
    const std::string_view digits = key.substr(1);
    int period = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), period);
    // Only the period's own decimal form: "L01" is a key no lesson makes.
    if (error != std::errc() || end != digits.data() + digits.size() ||
        std::to_string(period) != digits)
        return std::nullopt;
    return SlotPlace{*weekday, period};
}

} // namespace tmq
