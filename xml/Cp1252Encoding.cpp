#include "xml/Cp1252Encoding.h"

#include "base/Cp1252.h"

#include <libxml/encoding.h>

#include <mutex>
#include <string>
#include <string_view>

namespace tmq {

namespace {

// Windows-1252 to UTF-8, as much as fits in `out`.
int cp1252ToUtf8Chunk(unsigned char* out, int* outLength, const unsigned char* in, int* inLength)
{
    if (out == nullptr || outLength == nullptr || inLength == nullptr)
        return -1;
    if (in == nullptr) {
        *outLength = 0;
        *inLength = 0;
        return 0;
    }
    int read = 0;
    int written = 0;
    std::string utf8;
    while (read < *inLength) {
        utf8.clear();
        appendUtf8(utf8, cp1252ToCodePoint(in[read]));
        if (written + static_cast<int>(utf8.size()) > *outLength)
            break;
        for (const char c : utf8)
            out[written++] = static_cast<unsigned char>(c);
        ++read;
    }
    *inLength = read;
    *outLength = written;
    return written;
}

// UTF-8 to Windows-1252, as much as fits in `out`. At a character the code
// page lacks it stops and returns -2 with `inLength` at that character, so
// that libxml2 writes a character reference instead. A sequence cut at the
// end of `in` is left for the next call.
int utf8ToCp1252Chunk(unsigned char* out, int* outLength, const unsigned char* in, int* inLength)
{
    if (out == nullptr || outLength == nullptr || inLength == nullptr)
        return -1;
    if (in == nullptr) {
        *outLength = 0;
        *inLength = 0;
        return 0;
    }
    const std::string_view utf8(reinterpret_cast<const char*>(in),
                                static_cast<std::size_t>(*inLength));
    std::size_t read = 0;
    int written = 0;
    int result = 0;
    while (read < utf8.size() && written < *outLength) {
        const auto lead = static_cast<unsigned char>(utf8[read]);
        const std::size_t expected = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        if (read + expected > utf8.size())
            break;
        const Utf8Sequence sequence = decodeUtf8(utf8.substr(read));
        const std::optional<unsigned char> byte =
            sequence.codePoint ? codePointToCp1252(*sequence.codePoint) : std::nullopt;
        if (!byte) {
            result = -2;
            break;
        }
        out[written++] = *byte;
        read += sequence.length;
    }
    *inLength = static_cast<int>(read);
    *outLength = written;
    return result == 0 ? written : result;
}

} // namespace

void registerCp1252Encoding()
{
    static std::once_flag once;
    std::call_once(once, [] {
        // libxml2 registers the handler itself and keeps it for the process.
        xmlNewCharEncodingHandler("WINDOWS-1252", cp1252ToUtf8Chunk, utf8ToCp1252Chunk);
        xmlAddEncodingAlias("WINDOWS-1252", "CP1252");
    });
}

} // namespace tmq
