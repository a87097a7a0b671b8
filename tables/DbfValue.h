#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace tmq {

// A field as laid out in the records of a table.
struct DbfField {
    std::string name;
    char type = 'C'; // the type letter stored in the header
    int offset = 0;  // from the start of the record, whose first byte is the deletion flag
    int width = 0;
    int decimals = 0;
};

// Values are encoded and decoded here from the record bytes, independently
// of the C library's locale. Text is Windows-1252 and passed through as is.
// Readable types: C, N, F, L, D and the little-endian binary I (32-bit
// integer), B (double) and Y (currency, 64-bit integer of ten-thousandths).

// Whether values of the field can be read and assigned: one of the types
// above, binary ones of their proper width. The functions below expect such
// a field and its `width` bytes as `raw`.
bool isSupportedField(const DbfField& field);

// The field's value as text: C without trailing blanks (or NULs), D without
// surrounding ones, L as "True", "False" or "", N, F, I, B and Y as the
// shortest decimal, whole numbers without a fraction (an N or F field that
// holds no number gives its text without surrounding blanks).
std::string fieldText(const DbfField& field, std::string_view raw);

// The field's value as a number; 0 when the field is blank. None when the
// text is no decimal number.
std::optional<double> fieldFloat(const DbfField& field, std::string_view raw);

// The field's value as a whole number in 32 bits; 0 when the field is blank.
// Numeric fields must hold a whole value ("3.00" is 3); text fields follow
// wholeNumber(). None otherwise.
std::optional<int> fieldInteger(const DbfField& field, std::string_view raw);

// Fills `raw` with the field's empty value: blanks, or zeros for binary types.
void writeEmpty(const DbfField& field, std::span<char> raw);

// Assigns text: C and D left-aligned and cut to the width, L by its first
// letter, numeric types as the decimal number the text spells. False when a
// numeric field is given no number or one that does not fit.
bool writeText(const DbfField& field, std::string_view value, std::span<char> raw);

// Assigns a number: N and F right-aligned with the field's decimals, C as
// fieldText() would give it back, binary types natively. False when the value
// does not fit or the field holds no numbers.
bool writeFloat(const DbfField& field, double value, std::span<char> raw);

// The shortest decimal text that reads back as `value`, without exponent;
// whole numbers without a fraction.
std::string decimalText(double value);

// The decimal number `text` spells, with optional blanks around it and an
// optional sign; "." is the decimal separator whatever the locale.
std::optional<double> parseDecimal(std::string_view text);

} // namespace tmq
