#include "tables/DbfValue.h"

#include "tables/WholeNumber.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

namespace tmq {

namespace {

constexpr std::int64_t kCurrencyScale = 10000;

// Blanks around values: spaces, and the zero bytes some programs pad with.
// Checked one by one rather than searched for as a set, which costs a call
// per character; every value read passes here.
bool isPad(char c)
{
    return c == ' ' || c == '\0';
}

std::string_view withoutTrailingPad(std::string_view text)
{
    while (!text.empty() && isPad(text.back()))
        text.remove_suffix(1);
    return text;
}

bool isBinaryType(char type)
{
    return type == 'I' || type == 'B' || type == 'Y';
}
bool isNumericType(char type)
{
    return type == 'N' || type == 'F' || isBinaryType(type);
}

std::string_view trimmed(std::string_view text)
{
    text = withoutTrailingPad(text);
    while (!text.empty() && isPad(text.front()))
        text.remove_prefix(1);
    return text;
}

// Binary fields are blank only when filled with spaces; zeros are the value 0.
bool isBlank(char type, std::string_view raw)
{
    if (isBinaryType(type))
        return raw.find_first_not_of(' ') == std::string_view::npos;
    return withoutTrailingPad(raw).empty();
}

std::uint64_t readLittleEndian(std::string_view raw)
{
    std::uint64_t value = 0;
    for (std::size_t i = raw.size(); i-- > 0;)
        value = value << 8 | static_cast<unsigned char>(raw[i]);
    return value;
}

void writeLittleEndian(std::uint64_t value, std::span<char> raw)
{
    for (char& byte : raw) {
        byte = static_cast<char>(value & 0xFF);
        value >>= 8;
    }
}

std::int32_t binaryInteger(std::string_view raw)
{
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(readLittleEndian(raw.substr(0, 4))));
}

double binaryDouble(std::string_view raw)
{
    return std::bit_cast<double>(readLittleEndian(raw.substr(0, 8)));
}

std::int64_t binaryCurrency(std::string_view raw)
{
    return static_cast<std::int64_t>(readLittleEndian(raw.substr(0, 8)));
}

std::string currencyText(std::int64_t tenThousandths)
{
    const bool negative = tenThousandths < 0;
    const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(tenThousandths)
                                             : static_cast<std::uint64_t>(tenThousandths);
    std::string text = (negative ? "-" : "") + std::to_string(magnitude / kCurrencyScale);
    if (const std::uint64_t fraction = magnitude % kCurrencyScale; fraction != 0) {
        std::string digits = std::to_string(fraction + kCurrencyScale).substr(1);
        digits.erase(digits.find_last_not_of('0') + 1);
        text += "." + digits;
    }
    return text;
}

std::string logicalText(std::string_view raw)
{
    const std::string_view value = trimmed(raw);
    if (value.empty())
        return {};
    switch (value.front()) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        return "True";
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return "False";
    default:
        return {};
    }
}

std::optional<int> wholeDouble(double value)
{
    if (!(value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max()) ||
        value != std::trunc(value))
        return std::nullopt;
    return static_cast<int>(value);
}

// A whole number of up to nine digits as dBASE engines store them, blanks
// around an optional minus sign and the digits, read without a conversion of
// the whole text; none for anything else, which the full reading handles.
std::optional<int> plainWholeNumber(std::string_view raw)
{
    constexpr std::size_t kMaxDigits = 9;
    std::size_t at = raw.find_first_not_of(' ');
    if (at == std::string_view::npos)
        return std::nullopt;
    const bool negative = raw[at] == '-';
    if (negative)
        ++at;
    const std::size_t start = at;
    int value = 0;
    for (; at < raw.size() && at - start < kMaxDigits && raw[at] >= '0' && raw[at] <= '9'; ++at)
        value = value * 10 + (raw[at] - '0');
    if (at == start || raw.find_first_not_of(' ', at) != std::string_view::npos)
        return std::nullopt;
    return negative ? -value : value;
}

bool putLeftAligned(std::string_view value, std::span<char> raw)
{
    const std::size_t kept = std::min(value.size(), raw.size());
    std::fill(std::copy_n(value.begin(), kept, raw.begin()), raw.end(), ' ');
    return true;
}

// dBASE engines store numbers right-aligned in blanks, the fraction with
// exactly the field's decimals.
bool putFixed(double value, int decimals, std::span<char> raw)
{
    std::array<char, 400> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value,
                                      std::chars_format::fixed, decimals);
    if (result.ec != std::errc{})
        return false;
    std::string_view digits(text.data(), static_cast<std::size_t>(result.ptr - text.data()));
    // A negative value rounded to zero is written as zero.
    if (digits.starts_with('-') && digits.find_first_not_of("0.", 1) == std::string_view::npos)
        digits.remove_prefix(1);
    if (digits.size() > raw.size())
        return false;
    std::fill(raw.begin(), raw.end(), ' ');
    std::copy(digits.begin(), digits.end(), raw.end() - static_cast<std::ptrdiff_t>(digits.size()));
    return true;
}

} // namespace

std::string decimalText(double value)
{
    if (value == 0.0)
        return "0";
    std::array<char, 400> text{};
    const auto result =
        std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    return {text.data(), result.ptr};
}

bool isSupportedField(const DbfField& field)
{
    switch (field.type) {
    case 'C':
    case 'N':
    case 'F':
    case 'L':
    case 'D':
        return true;
    case 'I':
        return field.width == 4;
    case 'B':
    case 'Y':
        return field.width == 8;
    default:
        return false;
    }
}

std::string fieldText(const DbfField& field, std::string_view raw)
{
    switch (field.type) {
    case 'C':
        return std::string(withoutTrailingPad(raw));
    case 'L':
        return logicalText(raw);
    case 'I':
    case 'B':
    case 'Y':
        if (isBlank(field.type, raw))
            return {};
        if (field.type == 'I')
            return std::to_string(binaryInteger(raw));
        if (field.type == 'B')
            return decimalText(binaryDouble(raw));
        return currencyText(binaryCurrency(raw));
    case 'N':
    case 'F':
        if (const std::optional<int> whole = plainWholeNumber(raw))
            return std::to_string(*whole);
        // As a dBASE engine shows a number: 1.00 is "1", 3.50 is "3.5".
        if (const std::optional<double> value = parseDecimal(raw))
            return decimalText(*value);
        return std::string(trimmed(raw));
    default:
        return std::string(trimmed(raw));
    }
}

std::optional<double> fieldFloat(const DbfField& field, std::string_view raw)
{
    if (isBlank(field.type, raw))
        return 0.0;
    switch (field.type) {
    case 'I':
        return binaryInteger(raw);
    case 'B':
        return binaryDouble(raw);
    case 'Y':
        return static_cast<double>(binaryCurrency(raw)) / kCurrencyScale;
    case 'L':
        return std::nullopt;
    default:
        return parseDecimal(raw);
    }
}

std::optional<int> fieldInteger(const DbfField& field, std::string_view raw)
{
    if (isBlank(field.type, raw))
        return 0;
    switch (field.type) {
    case 'I':
        return binaryInteger(raw);
    case 'B':
        return wholeDouble(binaryDouble(raw));
    case 'Y': {
        const std::int64_t value = binaryCurrency(raw);
        if (value % kCurrencyScale != 0)
            return std::nullopt;
        return wholeDouble(static_cast<double>(value / kCurrencyScale));
    }
    case 'N':
    case 'F':
        if (const std::optional<int> whole = plainWholeNumber(raw))
            return whole;
        if (const std::optional<double> value = parseDecimal(raw))
            return wholeDouble(*value);
        return std::nullopt;
    default:
        return wholeNumber(fieldText(field, raw));
    }
}

void writeEmpty(const DbfField& field, std::span<char> raw)
{
    std::fill(raw.begin(), raw.end(), isBinaryType(field.type) ? '\0' : ' ');
}

bool writeText(const DbfField& field, std::string_view value, std::span<char> raw)
{
    if (field.type == 'L')
        return putLeftAligned(value.empty() ? " " : value.substr(0, 1), raw);
    if (!isNumericType(field.type))
        return putLeftAligned(value, raw);
    if (trimmed(value).empty()) {
        writeEmpty(field, raw);
        return true;
    }
    const std::optional<double> number = parseDecimal(value);
    return number && writeFloat(field, *number, raw);
}

bool writeFloat(const DbfField& field, double value, std::span<char> raw)
{
    if (!std::isfinite(value))
        return false;
    switch (field.type) {
    case 'N':
    case 'F':
        return putFixed(value, field.decimals, raw);
    case 'C': {
        const std::string text = decimalText(value);
        return text.size() <= raw.size() && putLeftAligned(text, raw);
    }
    case 'I': {
        const std::optional<int> whole = wholeDouble(std::round(value));
        if (whole)
            writeLittleEndian(static_cast<std::uint32_t>(*whole), raw.first(4));
        return whole.has_value();
    }
    case 'B':
        writeLittleEndian(std::bit_cast<std::uint64_t>(value), raw.first(8));
        return true;
    case 'Y': {
        const double scaled = std::round(value * kCurrencyScale);
        if (!(std::abs(scaled) < 9.2e18))
            return false;
        writeLittleEndian(static_cast<std::uint64_t>(static_cast<std::int64_t>(scaled)),
                          raw.first(8));
        return true;
    }
    default:
        return false;
    }
}

std::optional<double> parseDecimal(std::string_view text)
{
    std::string_view number = trimmed(text);
    if (number.starts_with('+')) {
        number.remove_prefix(1);
        if (number.starts_with('-'))
            return std::nullopt;
    }
    double value = 0.0;
    const auto [stop, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc{} || stop != number.data() + number.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace tmq
