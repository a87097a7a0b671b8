#pragma once

#include <string>
#include <string_view>

namespace tmq {

// Writes `content` to a new file beside `path` and then renames it over
// `path`, so that `path` holds either its old content or all of the new.
// Throws tmq::Error naming `path` when that fails; an older file is kept.
void writeFileAtomically(const std::string& path, std::string_view content);

// Deletes the temporary files that a run killed while writing `path` left
// beside it (named like `path` followed by ".tmq-" and six characters).
void removeStaleTemporaryFiles(const std::string& path);

} // namespace tmq
