#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

namespace tmq {

// Files are looked up as Windows programs see them: a name matches whatever
// the letter case it is stored in. File systems that ignore letter case find
// the one file by themselves; on the others the folder is searched.

// Every entry of `folder` named `fileName` in any letter case, the exactly
// named one first. Empty when there is none or the folder cannot be read.
std::vector<std::filesystem::path> filesNamedLike(const std::filesystem::path& folder,
                                                  std::string_view fileName);

// The first of those entries, if any.
std::optional<std::filesystem::path> findFileNamedLike(const std::filesystem::path& folder,
                                                       std::string_view fileName);

// Whether two names are equal when ASCII letter case is ignored.
bool sameNameIgnoringCase(std::string_view a, std::string_view b);

} // namespace tmq
