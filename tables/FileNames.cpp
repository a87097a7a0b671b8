#include "tables/FileNames.h"

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
#ifdef _WIN32
    std::error_code error;
    const std::filesystem::path exact = folder / fileName;
    if (std::filesystem::exists(exact, error))
        found.push_back(exact);
#else
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        if (sameNameIgnoringCase(entry->path().filename().native(), fileName))
            found.push_back(entry->path());
    }
    std::ranges::sort(found);
    const auto exact = std::ranges::find(found, folder / fileName);
    if (exact != found.end())
        std::rotate(found.begin(), exact, exact + 1);
#endif
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
