// The slot key, one rule for the four commands: the export numbers a slot's
// weekday by its letter, the import makes the key a lesson is joined with,
// and the page and the stand-in read back the keys a lesson can find.

#include "tables/SlotKey.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace tmq {
namespace {

TEST(SlotKey, ReadsBackExactlyTheKeysLessonsAreJoinedBy)
{
    struct Case {
        const char* key;
        std::optional<SlotPlace> place; // nothing: no lesson finds this key
    };
    const std::vector<Case> cases{
        {"L1", SlotPlace{0, 1}},     {"X10", SlotPlace{2, 10}}, {"D7", SlotPlace{6, 7}},
        {"S123", SlotPlace{5, 123}}, {"V0", SlotPlace{4, 0}},   {"M-1", SlotPlace{1, -1}},
        {"L01", std::nullopt},       {"L+1", std::nullopt},     {"L 1", std::nullopt},
        {"L1a", std::nullopt},       {"l1", std::nullopt},      {"Q1", std::nullopt},
        {"X", std::nullopt},         {"5", std::nullopt},       {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        const std::optional<SlotPlace> read = readSlotKey(c.key);
        ASSERT_EQ(read.has_value(), c.place.has_value());
        if (!read)
            continue;
        EXPECT_EQ(read->weekday, c.place->weekday);
        EXPECT_EQ(read->period, c.place->period);
        std::string made = "anterior";
        makeSlotKey(made, read->weekday, read->period);
        EXPECT_EQ(made, c.key);
        EXPECT_EQ(weekdayOfLetter(c.key[0]), c.place->weekday);
    }
    // A day that names no weekday gives a key of the period alone.
    std::string made;
    makeSlotKey(made, -1, 3);
    EXPECT_EQ(made, "3");
    EXPECT_EQ(weekdayOfLetter('l'), std::nullopt);
}

} // namespace
} // namespace tmq
