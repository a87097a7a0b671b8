#pragma once

#include "page/TimetableView.h"

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace tmq {

// The name of the page when no other is given, in the user's temporary folder.
inline constexpr const char* kTimetablePageName = "HorarioMirtavel.html";

// Writes the page of `view` piece by piece into `sink`: one self-contained
// HTML document in Spanish and UTF-8, its style inline, with no script and
// nothing to fetch. `folder` (UTF-8) is the working folder it was read from.
void writeTimetableHtml(const TimetableView& view, const std::string& folder,
                        const std::function<void(std::string_view)>& sink);

// Reads the week the import would send from the tables of `workingFolder`,
// with the import's own reading, joins and errors, holding the folder
// against other converters meanwhile; then saves the page as `pagePath`,
// which holds its old content or all of the new.
void writeTimetablePage(const std::filesystem::path& workingFolder, const std::string& pagePath);

// HorarioMirtavel.html in the user's temporary folder, as UTF-8.
std::string defaultTimetablePagePath();

// What the desktop's "Ver horario de Mirtavel" does: writes the page of
// `workingFolder` to its default place and opens it in the default browser.
// Empty when done; otherwise the text of the error report, for a box.
std::string openTimetablePage(const std::filesystem::path& workingFolder);

} // namespace tmq
