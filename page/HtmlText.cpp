#include "page/HtmlText.h"

#include "base/Cp1252.h"

namespace tmq {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD"; // U+FFFD

bool needsWork(unsigned char byte)
{
    return byte < 0x20 || byte >= 0x7F || byte == '&' || byte == '<' || byte == '>' ||
           byte == '"' || byte == '\'';
}

} // namespace

void appendHtml(std::string& html, std::string_view utf8)
{
    std::size_t plainStart = 0;
    std::size_t at = 0;
    while (at < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[at]);
        if (!needsWork(byte)) {
            ++at;
            continue;
        }
        html.append(utf8.substr(plainStart, at - plainStart));
        std::size_t length = 1;
        switch (byte) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\'':
            html += "&#39;";
            break;
        case '\t':
        case '\n':
            html += static_cast<char>(byte);
            break;
        default:
            if (byte < 0x80) {
                html += kReplacement; // C0 controls, carriage return and DEL
                break;
            }
            const Utf8Sequence sequence = decodeUtf8(utf8.substr(at));
            length = sequence.length;
            const bool control =
                sequence.codePoint && *sequence.codePoint >= 0x80 && *sequence.codePoint <= 0x9F;
            if (!sequence.codePoint || control)
                html += kReplacement; // malformed, or a C1 control
            else
                html.append(utf8.substr(at, length));
        }
        at += length;
        plainStart = at;
    }
    html.append(utf8.substr(plainStart));
}

void appendHtmlFromCp1252(std::string& html, std::string_view cp1252)
{
    std::string utf8;
    appendCp1252AsUtf8(utf8, cp1252);
    appendHtml(html, utf8);
}

} // namespace tmq
