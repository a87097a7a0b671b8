#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tmq::test {

// Byte builders for hand-made table files, as other programs write them.

struct FieldBytes {
    std::string name;
    char type;
    int width;
    int decimals = 0;
};

inline std::string littleEndian(std::uint64_t value, int size)
{
    std::string bytes;
    for (int i = 0; i < size; ++i, value >>= 8)
        bytes += static_cast<char>(value & 0xFF);
    return bytes;
}

inline std::string int32Bytes(std::int32_t value)
{
    return littleEndian(static_cast<std::uint32_t>(value), 4);
}
inline std::string int64Bytes(std::int64_t value)
{
    return littleEndian(static_cast<std::uint64_t>(value), 8);
}
inline std::string doubleBytes(double value)
{
    return littleEndian(std::bit_cast<std::uint64_t>(value), 8);
}
inline std::string padRight(std::string_view text, int width)
{
    std::string padded(text);
    padded.resize(static_cast<std::size_t>(width), ' ');
    return padded;
}
inline std::string padLeft(std::string_view text, int width)
{
    return std::string(static_cast<std::size_t>(width) - text.size(), ' ') + std::string(text);
}

// A whole table file. Each record is given with its deletion flag. Visual
// FoxPro versions (0x30 to 0x32) get the 263-byte back link after the field
// terminator; the record count may be given to differ from the records.
inline std::string dbfBytes(unsigned char version, const std::vector<FieldBytes>& fields,
                            const std::vector<std::string>& records, int recordCount = -1)
{
    const bool visualFoxPro = version >= 0x30 && version <= 0x32;
    const std::size_t headerLength = 32 + 32 * fields.size() + 1 + (visualFoxPro ? 263 : 0);
    std::size_t recordLength = 1;
    for (const FieldBytes& field : fields)
        recordLength += static_cast<std::size_t>(field.width);
    const auto count = recordCount >= 0 ? static_cast<std::uint32_t>(recordCount)
                                        : static_cast<std::uint32_t>(records.size());

    std::string bytes(32, '\0');
    bytes[0] = static_cast<char>(version);
    bytes[1] = 124;
    bytes[2] = 3;
    bytes[3] = 9;
    bytes.replace(4, 4, littleEndian(count, 4));
    bytes.replace(8, 2, littleEndian(headerLength, 2));
    bytes.replace(10, 2, littleEndian(recordLength, 2));
    bytes[29] = 0x03;
    int displacement = 1;
    for (const FieldBytes& field : fields) {
        std::string descriptor(32, '\0');
        descriptor.replace(0, field.name.size(), field.name);
        descriptor[11] = field.type;
        descriptor.replace(12, 4, littleEndian(static_cast<std::uint32_t>(displacement), 4));
        descriptor[16] = static_cast<char>(field.width);
        descriptor[17] = static_cast<char>(field.decimals);
        bytes += descriptor;
        displacement += field.width;
    }
    bytes += '\x0D';
    if (visualFoxPro)
        bytes += std::string(263, '\0');
    for (const std::string& record : records)
        bytes += record;
    return bytes + '\x1A';
}

} // namespace tmq::test
