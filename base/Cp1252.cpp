#include "base/Cp1252.h"

#include <algorithm>
#include <array>

namespace tmq {

namespace {

// Bytes 0x80 to 0x9F; the others stand for the character of the same value.
// The five bytes Windows-1252 leaves undefined keep their own value.
constexpr std::array<char32_t, 32> upperControlRange = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
};

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

char32_t cp1252ToCodePoint(unsigned char byte)
{
    if (byte >= 0x80 && byte <= 0x9F)
        return upperControlRange[byte - 0x80];
    return byte;
}

std::optional<unsigned char> codePointToCp1252(char32_t codePoint)
{
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF))
        return static_cast<unsigned char>(codePoint);
    const auto found = std::find(upperControlRange.begin(), upperControlRange.end(), codePoint);
    if (found == upperControlRange.end())
        return std::nullopt;
    return static_cast<unsigned char>(0x80 + (found - upperControlRange.begin()));
}

Utf8Sequence decodeUtf8(std::string_view utf8)
{
    const auto lead = static_cast<unsigned char>(utf8[0]);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 1;
    char32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        codePoint = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        codePoint = lead & 0x07;
    }
    if (length == 1 || length > utf8.size())
        return {std::nullopt, 1};
    for (std::size_t i = 1; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (!isContinuation(byte))
            return {std::nullopt, 1};
        codePoint = (codePoint << 6) | (byte & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF are no characters.
    constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || (codePoint >= 0xD800 && codePoint <= 0xDFFF) ||
        codePoint > 0x10FFFF)
        return {std::nullopt, length};
    return {codePoint, length};
}

void appendUtf8(std::string& out, char32_t codePoint)
{
    if (codePoint < 0x80) {
        out += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        out += static_cast<char>(0xC0 | (codePoint >> 6));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        out += static_cast<char>(0xE0 | (codePoint >> 12));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (codePoint >> 18));
        out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

std::string utf8ToCp1252(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    std::string ansi;
    ansi.reserve(utf8.size());
    while (!utf8.empty()) {
        const Utf8Sequence sequence = decodeUtf8(utf8);
        utf8.remove_prefix(sequence.length);
        std::optional<unsigned char> byte;
        if (sequence.codePoint) {
            const char32_t codePoint = *sequence.codePoint;
            // Text from a document mislabelled ISO-8859-1 carries Windows
            // bytes as U+0080..U+009F: they go back to the same byte.
            byte = codePoint >= 0x80 && codePoint <= 0x9F ? static_cast<unsigned char>(codePoint)
                                                          : codePointToCp1252(codePoint);
        }
        ansi += byte ? static_cast<char>(*byte) : '?';
    }
    return ansi;
}

std::string cp1252ToUtf8(std::string_view ansi)
{
    if (isAscii(ansi))
        return std::string(ansi);
    std::string utf8;
    utf8.reserve(ansi.size() * 2);
    for (const char c : ansi)
        appendUtf8(utf8, cp1252ToCodePoint(static_cast<unsigned char>(c)));
    return utf8;
}

void appendUtf8AsCp1252(std::string& out, std::string_view utf8)
{
    const std::size_t start = out.size();
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out += static_cast<char>(byte);
            continue;
        }
        // C2 80 to C3 BF are U+0080 to U+00FF, the same byte in Windows-1252
        // (U+0080 to U+009F by the rule above).
        const auto next = static_cast<unsigned char>(i + 1 < utf8.size() ? utf8[i + 1] : 0);
        if ((byte == 0xC2 || byte == 0xC3) && isContinuation(next)) {
            out += static_cast<char>((byte & 0x03) << 6 | (next & 0x3F));
            ++i;
            continue;
        }
        out.resize(start);
        out += utf8ToCp1252(utf8);
        return;
    }
}

void appendCp1252AsUtf8(std::string& out, std::string_view ansi)
{
    const std::size_t start = out.size();
    for (const char c : ansi) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else if (byte >= 0xA0) {
            out += static_cast<char>(0xC0 | byte >> 6);
            out += static_cast<char>(0x80 | (byte & 0x3F));
        } else {
            out.resize(start);
            out += cp1252ToUtf8(ansi);
            return;
        }
    }
}

} // namespace tmq
