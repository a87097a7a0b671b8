#pragma once

#include <filesystem>
#include <string>

namespace tmq {

// The name of the page's index when no other is given, in the user's
// temporary folder; the other files of the set are named after it.
inline constexpr const char* kTimetablePageName = "HorarioMirtavel.html";

// Reads the week the import would send from the tables of `workingFolder`,
// with the import's own reading, joins and errors, holding the folder
// against other converters meanwhile; then saves the page as a set of
// files: the index as `pagePath` and beside it, named after it, the grids
// of teachers, groups and rooms ("HorarioMirtavel-profesores.html"…) and
// the two views of the whole staff. Every file is written first under a
// temporary name and all are put in place at the end, the index last, so
// that each name holds its old file or all of the new one. With the
// Quelmar document `documentPath` (UTF-8; empty for none), every page also
// names the school and the school year the document gives.
void writeTimetablePage(const std::filesystem::path& workingFolder, const std::string& pagePath,
                        const std::string& documentPath = {});

// HorarioMirtavel.html in the user's temporary folder, as UTF-8.
std::string defaultTimetablePagePath();

// What the desktop's "Ver horario de Mirtavel" does: writes the page set of
// `workingFolder` to its default place and opens the index in the default
// browser.
// Empty when done; otherwise the text of the error report, for a box.
std::string openTimetablePage(const std::filesystem::path& workingFolder);

} // namespace tmq
