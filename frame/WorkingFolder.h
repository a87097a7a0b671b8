#pragma once

#include <filesystem>
#include <string>

namespace tmq {

// The folder where the timetable program keeps its tables: C:\MTEMP on
// Windows; elsewhere the same folder as the compatibility layer shows it,
// $WINEPREFIX/drive_c/MTEMP (~/.wine when WINEPREFIX is unset).
std::filesystem::path defaultWorkingFolder();

// The subfolder of the working folder where the file dialog opens.
std::filesystem::path xmlDialogFolder(const std::filesystem::path& workingFolder);

// The result file for a chosen document: "ResultadoMirtav" put before the
// file-name part, which starts after the last path separator.
std::string resultPathFor(const std::string& chosenFile);

} // namespace tmq
