#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tmq {

// The letters of the weekdays in a time slot's key (DIHO), Monday first.
inline constexpr std::string_view kWeekdayLetters = "LMXJVSD";

// The weekday of a letter, 0 for Monday; nothing for any other character.
std::optional<int> weekdayOfLetter(char letter);

// Puts into `key` the key a lesson of SOLUC is joined with DIASHORAST by:
// the weekday's letter and the period in decimal, as "L1" or "X10". A
// weekday of -1 (a day that names none) gives the period alone.
void makeSlotKey(std::string& key, int weekday, int period);

// A time slot's place in the week, as its key names it.
struct SlotPlace {
    int weekday = 0; // 0 for Monday
    int period = 0;
};

// The place a key stands for when a lesson can be joined with it: exactly
// the keys makeSlotKey() makes with a weekday ("L1", "X10", "L-1", but not
// "L01" or "l1"); nothing for any other text.
std::optional<SlotPlace> readSlotKey(std::string_view key);

} // namespace tmq
