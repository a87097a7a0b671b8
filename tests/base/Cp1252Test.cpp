#include "base/Cp1252.h"

#include <gtest/gtest.h>

#include <string>

namespace tmq {
namespace {

struct Case {
    const char* what;
    std::string utf8;
    std::string ansi;
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.what;
}

// Text that converts both ways unchanged.
const Case roundTrips[] = {
    {"ASCII", "Aula 3-B", "Aula 3-B"},
    {"Spanish letters", "Núñez Peña, Ángel",
     "N\xFA\xF1"
     "ez Pe\xF1"
     "a, \xC1ngel"},
    {"euro and quotes", "€ “x” ‘y’", "\x80 \x93x\x94 \x91y\x92"},
    {"dashes and ellipsis", "a—b–c…",
     "a\x97"
     "b\x96"
     "c\x85"},
    {"upper half", "ÿ þ ß ·", "\xFF \xFE \xDF \xB7"},
    {"no-break space", "a\u00A0b",
     "a\xA0"
     "b"},
    {"empty", "", ""},
};

class Cp1252RoundTrip : public testing::TestWithParam<Case> {};

TEST_P(Cp1252RoundTrip, ConvertsBothWays)
{
    EXPECT_EQ(utf8ToCp1252(GetParam().utf8), GetParam().ansi);
    EXPECT_EQ(cp1252ToUtf8(GetParam().ansi), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(Text, Cp1252RoundTrip, testing::ValuesIn(roundTrips));

// UTF-8 that Windows-1252 cannot hold as such.
const Case toAnsi[] = {
    {"Chinese", "a你b", "a?b"},
    {"Greek and emoji", "αβ😀.", "???."},
    {"C1 controls from a mislabelled document", "\u0080 \u0093q\u0094", "\x80 \x93q\x94"},
    {"lone continuation byte", "a\x80z", "a?z"},
    {"truncated sequence at the end", "a\xE2\x82", "a??"},
    {"invalid lead byte",
     "\xFF\xC0\xAF"
     "b",
     "???b"},
    {"sequence cut by ASCII",
     "\xC3"
     "A",
     "?A"},
};

class Cp1252ToAnsi : public testing::TestWithParam<Case> {};

TEST_P(Cp1252ToAnsi, ReplacesWhatItCannotHold)
{
    EXPECT_EQ(utf8ToCp1252(GetParam().utf8), GetParam().ansi);
}

INSTANTIATE_TEST_SUITE_P(Text, Cp1252ToAnsi, testing::ValuesIn(toAnsi));

TEST(Cp1252, UndefinedBytesBecomeControlCharactersAndBack)
{
    const std::string undefined = "\x81\x8D\x8F\x90\x9D";
    EXPECT_EQ(cp1252ToUtf8(undefined), "\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(undefined)), undefined);
}

TEST(Cp1252, EveryByteSurvivesTheRoundTrip)
{
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    EXPECT_EQ(utf8ToCp1252(cp1252ToUtf8(all)), all);
}

TEST(Cp1252, LongTextIsConvertedWhole)
{
    std::string utf8;
    std::string ansi;
    for (int i = 0; i < 20000; ++i) {
        utf8 += "ñ你€";
        ansi += "\xF1?\x80";
    }
    EXPECT_EQ(utf8ToCp1252(utf8), ansi);
    EXPECT_EQ(cp1252ToUtf8("\xF1\x80"), "ñ€");
}

} // namespace
} // namespace tmq
