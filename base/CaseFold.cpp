#include "base/CaseFold.h"

namespace tmq {

namespace {

unsigned char foldByte(unsigned char c)
{
    if (c >= 'A' && c <= 'Z')
        return static_cast<unsigned char>(c + ('a' - 'A'));
    // À..Þ except the multiplication sign ×.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<unsigned char>(c + 0x20);
    switch (c) {
    case 0x8A: // Š
    case 0x8C: // Œ
    case 0x8E: // Ž
        return static_cast<unsigned char>(c + 0x10);
    case 0x9F: // Ÿ
        return 0xFF;
    default:
        return c;
    }
}

} // namespace

std::string foldCaseCp1252(std::string_view text)
{
    std::string folded(text);
    for (char& c : folded)
        c = static_cast<char>(foldByte(static_cast<unsigned char>(c)));
    return folded;
}

} // namespace tmq
