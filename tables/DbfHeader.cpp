#include "tables/DbfHeader.h"

#include "base/Error.h"
#include "base/PlatformFiles.h"

#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

namespace tmq {

namespace {

constexpr std::size_t kFileHeaderSize = 32;
constexpr std::size_t kFieldDescriptorSize = 32;
constexpr unsigned char kHeaderTerminator = 0x0D;

bool isReadableVersion(unsigned char version)
{
    constexpr std::array<unsigned char, 14> kVersions{0x02, 0x03, 0x30, 0x31, 0x32, 0x43, 0x63,
                                                      0x83, 0x8B, 0x8E, 0xCB, 0xE5, 0xF5, 0xFB};
    for (unsigned char known : kVersions)
        if (version == known)
            return true;
    return false;
}

bool isDbase7(unsigned char version)
{
    return version == 0x04 || version == 0x8C;
}

std::uint32_t littleEndian(const unsigned char* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

std::string hexByte(unsigned char byte)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

} // namespace

std::string dbfHeaderProblem(const std::filesystem::path& path)
{
    const std::string quoted = "'" + pathToUtf8(path) + "'";
    const std::unique_ptr<std::FILE, FileCloser> file(openFile(path, "rb"));
    if (!file)
        return "No se puede leer la tabla " + quoted + ": " + systemReason(errno);
    std::error_code sizeError;
    const std::uintmax_t fileSize = std::filesystem::file_size(path, sizeError);
    if (sizeError)
        return "No se puede leer la tabla " + quoted + ": " + systemReason(sizeError.value());

    std::array<unsigned char, kFileHeaderSize> head{};
    if (fileSize < head.size() ||
        std::fread(head.data(), 1, head.size(), file.get()) != head.size())
        return "El archivo " + quoted + " no es una tabla dBASE: tiene solo " +
               std::to_string(fileSize) + " bytes";
    if (isDbase7(head[0]))
        return "La tabla " + quoted +
               " es de dBASE 7, una versión que no se puede leer; guárdela como dBASE III, "
               "IV o 5";
    if (!isReadableVersion(head[0]))
        return "El archivo " + quoted + " no es una tabla dBASE: su primer byte (" +
               hexByte(head[0]) + ") no corresponde a ninguna versión conocida";

    const std::uint32_t recordCount = littleEndian(&head[4], 4);
    const std::size_t headerLength = littleEndian(&head[8], 2);
    const std::size_t recordLength = littleEndian(&head[10], 2);
    if (headerLength > fileSize)
        return "La tabla " + quoted + " está incompleta: su cabecera ocupa " +
               std::to_string(headerLength) + " bytes y el archivo tiene " +
               std::to_string(fileSize);

    // Field descriptors end at the terminator byte; Visual FoxPro adds a
    // back link after it that describes no field.
    std::vector<unsigned char> descriptors(
        headerLength > kFileHeaderSize ? headerLength - kFileHeaderSize : 0);
    if (std::fread(descriptors.data(), 1, descriptors.size(), file.get()) != descriptors.size())
        return "No se puede leer la tabla " + quoted + ": " + systemReason(errno);
    std::size_t fieldCount = 0;
    std::size_t widthSum = 0;
    for (std::size_t at = 0; at + kFieldDescriptorSize <= descriptors.size();
         at += kFieldDescriptorSize) {
        if (descriptors[at] == kHeaderTerminator)
            break;
        ++fieldCount;
        widthSum += descriptors[at + 16];
    }
    if (fieldCount == 0)
        return "La tabla " + quoted + " no es válida: su cabecera no describe ningún campo";
    if (recordLength != widthSum + 1)
        return "La tabla " + quoted + " no es válida: sus registros ocupan " +
               std::to_string(recordLength) + " bytes según la cabecera y " +
               std::to_string(widthSum + 1) + " según sus campos";

    const std::uintmax_t recordRoom = (fileSize - headerLength) / recordLength;
    if (recordRoom < recordCount)
        return "La tabla " + quoted + " está incompleta: su cabecera anuncia " +
               std::to_string(recordCount) + " registros y el archivo solo contiene " +
               std::to_string(recordRoom);
    return {};
}

} // namespace tmq
