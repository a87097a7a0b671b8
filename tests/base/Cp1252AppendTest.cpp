#include "base/Cp1252.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tmq {
namespace {

std::string utf8Of(char32_t code)
{
    std::string out;
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | code >> 18);
        out += static_cast<char>(0x80 | (code >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
    return out;
}

// The appending conversions take a short way for most characters; they must
// give what the full conversions give, after text already in the buffer.
TEST(Cp1252Append, AgreesWithTheWholeConversionForEveryCharacter)
{
    std::vector<std::string> utf8Texts;
    for (char32_t code = 1; code < 0x100; ++code)
        utf8Texts.push_back("a" + utf8Of(code) + "b");
    for (char32_t code : {0x20AC, 0x201C, 0x2030, 0x0152, 0x03A9, 0x1D11E})
        utf8Texts.push_back("ñ" + utf8Of(code) + "é");
    for (const std::string& text : utf8Texts) {
        std::string appended = "previo";
        appendUtf8AsCp1252(appended, text);
        EXPECT_EQ(appended, "previo" + utf8ToCp1252(text)) << text;
    }
    for (int byte = 1; byte < 0x100; ++byte) {
        const std::string text = "x" + std::string(1, static_cast<char>(byte)) + "\xF1";
        std::string appended = "previo";
        appendCp1252AsUtf8(appended, text);
        EXPECT_EQ(appended, "previo" + cp1252ToUtf8(text)) << byte;
    }
}

} // namespace
} // namespace tmq
