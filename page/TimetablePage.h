#pragma once

#include "page/PageParts.h"
#include "page/TimetableView.h"

#include <filesystem>
#include <string>

namespace tmq {

// Where and when the page of `workingFolder` is made: the folder, when its
// SOLUC was last written, now, and with the Quelmar document `documentPath`
// (UTF-8; empty for none) the school and school year it names.
PageStamp makePageStamp(const std::filesystem::path& workingFolder,
                        const std::string& documentPath);

// Saves the page of `view` as a set of files: the index as `pagePath` and
// beside it, named after it, the grids of teachers, groups and rooms
// ("HorarioMirtavel-profesores.html"…) and the two views of the whole
// staff. Every file is written first under a temporary name and all are put
// in place at the end, the index last, so that each name holds its old file
// or all of the new one.
void writeTimetablePageSet(const TimetableView& view, const PageStamp& stamp,
                           const std::string& pagePath);

} // namespace tmq
