#include "tables/WholeNumber.h"
#include "base/Error.h"

#include <gtest/gtest.h>

#include <climits>

namespace tmq {
namespace {

struct Spelled {
    const char* text;
    int value;
};

class WholeNumberValid : public testing::TestWithParam<Spelled> {};

TEST_P(WholeNumberValid, ReadsTheValue)
{
    EXPECT_EQ(wholeNumber(GetParam().text), GetParam().value);
    EXPECT_EQ(parseWholeNumber(GetParam().text), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    tables, WholeNumberValid,
    testing::Values(Spelled{"0", 0}, Spelled{"90", 90}, Spelled{"+90", 90}, Spelled{"-90", -90},
                    Spelled{"007", 7}, Spelled{"  90", 90}, Spelled{"0x5A", 90},
                    Spelled{"0X5a", 90}, Spelled{"x5A", 90}, Spelled{"X5a", 90}, Spelled{"$5a", 90},
                    Spelled{"-$10", -16}, Spelled{"+0x10", 16}, Spelled{"2147483647", INT_MAX},
                    Spelled{"-2147483648", INT_MIN}, Spelled{"$7FFFFFFF", INT_MAX},
                    Spelled{"-0x80000000", INT_MIN}));

struct Refused {
    const char* text;
    const char* quoted; // as the message gives it, in UTF-8
};

class WholeNumberInvalid : public testing::TestWithParam<Refused> {};

TEST_P(WholeNumberInvalid, IsRefused)
{
    EXPECT_EQ(wholeNumber(GetParam().text), std::nullopt);
    try {
        parseWholeNumber(GetParam().text);
        FAIL() << "accepted '" << GetParam().text << "'";
    } catch (const Error& error) {
        EXPECT_EQ(error.what(),
                  "'" + std::string(GetParam().quoted) + "' no es un valor entero válido");
    }
}

std::vector<Refused> refusedTexts()
{
    std::vector<Refused> refused{{"\xE1", "\xC3\xA1"}};
    for (const char* text : {"",
                             " ",
                             "+",
                             "-",
                             "$",
                             "x",
                             "0x",
                             "-$",
                             "1.5",
                             "1,5",
                             "90 min",
                             "90 ",
                             "1e3",
                             "5a",
                             "$g",
                             "$-5",
                             "0x-5",
                             "--5",
                             "+-5",
                             "- 5",
                             "0x0x5",
                             "2147483648",
                             "-2147483649",
                             "$80000000",
                             "0xFFFFFFFF",
                             "99999999999999999999999"})
        refused.push_back({text, text});
    return refused;
}

INSTANTIATE_TEST_SUITE_P(tables, WholeNumberInvalid, testing::ValuesIn(refusedTexts()));

} // namespace
} // namespace tmq
