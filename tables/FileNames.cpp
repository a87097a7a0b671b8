#include "tables/FileNames.h"

#include "base/PlatformFiles.h"

#include <algorithm>
#include <system_error>

namespace tmq {

namespace {

char asciiUpper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

bool sameNameIgnoringCase(std::string_view a, std::string_view b)
{
    return std::ranges::equal(a, b, [](char x, char y) { return asciiUpper(x) == asciiUpper(y); });
}

std::vector<std::filesystem::path> filesNamedLike(const std::filesystem::path& folder,
                                                  std::string_view fileName)
{
    std::vector<std::filesystem::path> found;
    // Also on Windows, whose file systems find a name in any letter case,
    // the folder is read: the name is the one the file is stored under.
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (sameNameIgnoringCase(pathToUtf8(entry->path().filename()), fileName))
            found.push_back(entry->path());
    }
    std::ranges::sort(found);
    const auto exact = std::ranges::find(found, folder / fileName);
    if (exact != found.end())
        std::rotate(found.begin(), exact, exact + 1);
    return found;
}

std::optional<std::filesystem::path> findFileNamedLike(const std::filesystem::path& folder,
                                                       std::string_view fileName)
{
    std::vector<std::filesystem::path> found = filesNamedLike(folder, fileName);
    if (found.empty())
        return std::nullopt;
    return found.front();
}

} // namespace tmq
