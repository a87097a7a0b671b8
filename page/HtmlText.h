#pragma once

#include <string>
#include <string_view>

namespace tmq {

// Appends UTF-8 text to a page as HTML text: "&", "<", ">", '"' and "'" as
// references, so that it is safe both between tags and in a quoted
// attribute; control characters, which HTML does not allow, and malformed
// UTF-8 as U+FFFD. Tabs and line breaks stay.
void appendHtml(std::string& html, std::string_view utf8);

// The same for Windows-1252 table text.
void appendHtmlFromCp1252(std::string& html, std::string_view cp1252);

} // namespace tmq
