#include "core/Cp1252.h"

#include "core/Error.h"

#include <algorithm>
#include <cerrno>
#include <iconv.h>

namespace tmq {

namespace {

// Input is handed to iconv in pieces of about this size: what a character it
// cannot convert costs grows with the length of the piece it was given.
constexpr std::size_t pieceSize = 256;

bool isContinuation(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// An open iconv conversion. Descriptors carry state, so each thread keeps its
// own; opening one costs far more than the conversion of a table value.
class Converter {
public:
    Converter(const char* to, const char* from, bool utf8Input)
        : cd_(iconv_open(to, from)), utf8Input_(utf8Input)
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            throw Error(std::string("No se puede convertir texto de ") + from + " a " + to +
                        ": el sistema no tiene esa conversión");
    }
    ~Converter() { iconv_close(cd_); }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts `in`; at input iconv cannot convert, `onInvalid` sets the
    // replacement and returns how many input bytes it stands for.
    template <typename OnInvalid>
    std::string convert(std::string_view in, std::size_t maxBytesPerInputByte, OnInvalid onInvalid)
    {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(in.size() * maxBytesPerInputByte, '\0');
        std::string replacement;
        std::size_t done = 0;
        std::size_t used = 0;
        while (done < in.size()) {
            const std::size_t piece = pieceLength(in.substr(done));
            char* inPos = const_cast<char*>(in.data() + done);
            std::size_t inLeft = piece;
            char* outPos = out.data() + used;
            std::size_t outLeft = out.size() - used;
            const std::size_t result = iconv(cd_, &inPos, &inLeft, &outPos, &outLeft);
            done += piece - inLeft;
            used = out.size() - outLeft;
            if (result != static_cast<std::size_t>(-1))
                continue;
            if (errno == E2BIG) {
                out.resize(out.size() * 2 + 16);
                continue;
            }
            replacement.clear();
            done += std::min(onInvalid(in.substr(done), replacement), in.size() - done);
            if (out.size() - used < replacement.size())
                out.resize(out.size() * 2 + replacement.size());
            out.replace(used, replacement.size(), replacement);
            used += replacement.size();
        }
        out.resize(used);
        return out;
    }

private:
    // The length of the next piece of `rest`, not cutting a UTF-8 sequence.
    std::size_t pieceLength(std::string_view rest) const
    {
        if (rest.size() <= pieceSize)
            return rest.size();
        std::size_t length = pieceSize;
        while (utf8Input_ && length > pieceSize - 3 &&
               isContinuation(static_cast<unsigned char>(rest[length])))
            --length;
        return length;
    }

    iconv_t cd_;
    bool utf8Input_;
};

bool isAscii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// Length of the UTF-8 sequence at the start of `text`, judged by its lead and
// continuation bytes; 1 when they do not form one.
std::size_t sequenceLength(std::string_view text)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF)
        length = 3;
    else if (lead >= 0xF0 && lead <= 0xF4)
        length = 4;
    if (length > text.size())
        return 1;
    for (std::size_t i = 1; i < length; ++i) {
        if (!isContinuation(static_cast<unsigned char>(text[i])))
            return 1;
    }
    return length;
}

} // namespace

std::string utf8ToCp1252(std::string_view utf8)
{
    if (isAscii(utf8))
        return std::string(utf8);
    thread_local Converter converter("WINDOWS-1252", "UTF-8", true);
    return converter.convert(utf8, 1, [](std::string_view rest, std::string& replacement) {
        const std::size_t length = sequenceLength(rest);
        const auto second = length == 2 ? static_cast<unsigned char>(rest[1]) : 0;
        // U+0080..U+009F: C2 followed by the byte itself.
        if (length == 2 && static_cast<unsigned char>(rest[0]) == 0xC2 && second <= 0x9F)
            replacement += static_cast<char>(second);
        else
            replacement += '?';
        return length;
    });
}

std::string cp1252ToUtf8(std::string_view ansi)
{
    if (isAscii(ansi))
        return std::string(ansi);
    thread_local Converter converter("UTF-8", "WINDOWS-1252", false);
    return converter.convert(ansi, 3, [](std::string_view rest, std::string& replacement) {
        // An undefined byte (0x81, 0x8D, 0x8F, 0x90, 0x9D) becomes U+0081 etc.
        replacement += '\xC2';
        replacement += rest[0];
        return std::size_t{1};
    });
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
