#pragma once

#include <string>
#include <string_view>

namespace tmq {

// Table text is Windows-1252; documents, messages and file names are UTF-8.

// UTF-8 to Windows-1252. A character Windows-1252 lacks becomes "?". The
// characters U+0080 to U+009F become the byte of the same value, so that text
// from a document mislabelled ISO-8859-1 keeps its euro signs and curly quotes.
std::string utf8ToCp1252(std::string_view utf8);

// Windows-1252 to UTF-8. The five bytes Windows-1252 leaves undefined become
// the control characters of the same value.
std::string cp1252ToUtf8(std::string_view ansi);

// The same conversions appended to `out`. Text within ISO-8859-1, which is
// nearly all table text, is converted here without a call to the system.
void appendUtf8AsCp1252(std::string& out, std::string_view utf8);
void appendCp1252AsUtf8(std::string& out, std::string_view ansi);

} // namespace tmq
