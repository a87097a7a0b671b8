#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tmq {

// Table text is Windows-1252; documents, messages and file names are UTF-8.
// One conversion table serves the tables and the documents on every platform.

// UTF-8 to Windows-1252. A character Windows-1252 lacks becomes "?". The
// characters U+0080 to U+009F become the byte of the same value, so that text
// from a document mislabelled ISO-8859-1 keeps its euro signs and curly quotes.
std::string utf8ToCp1252(std::string_view utf8);

// Windows-1252 to UTF-8. The five bytes Windows-1252 leaves undefined become
// the control characters of the same value.
std::string cp1252ToUtf8(std::string_view ansi);

// The character a Windows-1252 byte stands for (the five undefined bytes
// stand for the control characters of the same value).
char32_t cp1252ToCodePoint(unsigned char byte);

// The Windows-1252 byte of a character, or nothing when it has none. The
// control characters U+0080 to U+009F have one only where the byte of the
// same value is undefined, so that the mapping is one to one.
std::optional<unsigned char> codePointToCp1252(char32_t codePoint);

// The character at the start of `utf8` and the number of bytes it takes: a
// malformed or truncated sequence gives nothing and the bytes its lead and
// continuation bytes span (at least 1).
struct Utf8Sequence {
    std::optional<char32_t> codePoint;
    std::size_t length;
};
Utf8Sequence decodeUtf8(std::string_view utf8);

// Appends `codePoint` to `out` in UTF-8.
void appendUtf8(std::string& out, char32_t codePoint);

// The same conversions appended to `out`. Text within ISO-8859-1, which is
// nearly all table text, is converted here without a call to the system.
void appendUtf8AsCp1252(std::string& out, std::string_view utf8);
void appendCp1252AsUtf8(std::string& out, std::string_view ansi);

} // namespace tmq
