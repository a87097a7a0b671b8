#include "tables/TableReplacement.h"

#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "tables/FileNames.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <system_error>

namespace tmq {

namespace {

constexpr std::string_view kTemporaryPrefix = "~tmq-";

std::string quoted(const std::filesystem::path& path)
{
    return "'" + pathToUtf8(path) + "'";
}

std::uint32_t littleEndian(const unsigned char* bytes, int count)
{
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = value << 8 | bytes[i];
    return value;
}

// Whether the header's record count, times the record length, fills the file
// after the header exactly (an end-of-file byte may follow).
bool isWholeTable(const std::filesystem::path& file)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    std::ifstream in(file, std::ios::binary);
    std::array<unsigned char, 12> head{};
    if (error || !in.read(reinterpret_cast<char*>(head.data()), head.size()))
        return false;
    const std::uintmax_t expected =
        littleEndian(&head[8], 2) +
        std::uintmax_t{littleEndian(&head[4], 4)} * littleEndian(&head[10], 2);
    return size == expected || size == expected + 1;
}

void removeEvery(const std::vector<std::filesystem::path>& files, const std::string& what)
{
    for (const std::filesystem::path& file : files) {
        std::error_code error;
        if (!std::filesystem::remove(file, error) && error)
            throw Error("No se puede borrar " + what + " " + quoted(file) + ": " +
                        systemReason(error.value()));
    }
}

} // namespace

std::string temporaryTableName(std::string_view tableName)
{
    return std::string(kTemporaryPrefix) + std::string(tableName);
}

void removeStaleTemporaryTables(const std::filesystem::path& folder)
{
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const std::string name = pathToUtf8(entry->path().filename());
        if (name.size() > kTemporaryPrefix.size() + 4 &&
            sameNameIgnoringCase(name.substr(0, kTemporaryPrefix.size()), kTemporaryPrefix) &&
            sameNameIgnoringCase(name.substr(name.size() - 4), ".DBF")) {
            std::error_code ignored;
            std::filesystem::remove(entry->path(), ignored);
        }
    }
}

TableReplacement::TableReplacement(std::filesystem::path folder) : folder_(std::move(folder)) {}

TableReplacement::~TableReplacement()
{
    for (const std::string& table : written_) {
        std::error_code ignored;
        std::filesystem::remove(temporaryFile(table), ignored);
    }
}

std::filesystem::path TableReplacement::temporaryFile(std::string_view tableName) const
{
    return folder_ / (temporaryTableName(tableName) + ".DBF");
}

void TableReplacement::complete(std::string_view tableName)
{
    written_.emplace_back(tableName);
    const std::filesystem::path file = temporaryFile(tableName);
    if (const std::error_code problem = flushToDisk(file))
        throw Error("No se puede guardar la tabla " +
                    quoted(folder_ / (std::string(tableName) + ".DBF")) + ": " +
                    systemReason(problem));
    complete_.emplace_back(tableName);
}

void TableReplacement::completeIfWhole(std::string_view tableName)
{
    written_.emplace_back(tableName);
    const std::filesystem::path file = temporaryFile(tableName);
    if (isWholeTable(file) && !flushToDisk(file))
        complete_.emplace_back(tableName);
}

void TableReplacement::commit()
{
    std::vector<std::string> replaced;
    std::string failure;
    for (const std::string& table : complete_) {
        const std::filesystem::path target = folder_ / (table + ".DBF");
        if (const std::error_code problem = replaceFile(temporaryFile(table), target)) {
            failure = "No se puede poner la tabla nueva en lugar de " + quoted(target) + ": " +
                      systemReason(problem);
            break;
        }
        replaced.push_back(table);
    }
    complete_.clear();

    // The index files of the old tables describe rows that are gone.
    for (const std::string& table : replaced) {
        // Copies in another letter case, where the file system tells them
        // apart; where it does not, the name found is the new table itself.
        const std::filesystem::path target = folder_ / (table + ".DBF");
        std::vector<std::filesystem::path> others = filesNamedLike(folder_, table + ".DBF");
        std::erase_if(others, [&target](const std::filesystem::path& other) {
            std::error_code error;
            return other == target || std::filesystem::equivalent(other, target, error) || error;
        });
        removeEvery(others, "la tabla");
        removeEvery(filesNamedLike(folder_, table + ".MDX"), "el índice");
    }
    if (!failure.empty())
        throw Error(failure);
}

std::string TableReplacement::withTableNames(std::string text) const
{
    for (const std::string& table : written_) {
        const std::string temporary = temporaryTableName(table) + ".DBF";
        for (std::size_t at = text.find(temporary); at != std::string::npos;
             at = text.find(temporary, at))
            text.replace(at, temporary.size(), table + ".DBF");
    }
    return text;
}

} // namespace tmq
