#pragma once

#include <filesystem>
#include <string>

namespace tmq {

// Checks the header of a table file before shapelib reads it, since shapelib
// takes files of other versions or cut short for sound ones. Accepted are
// dBASE III, IV and 5 tables, FoxBASE and FoxPro ones and Visual FoxPro ones.
//
// Returns why the file at `path` cannot be read as such a table, as a
// sentence that names the file; empty when it can.
std::string dbfHeaderProblem(const std::filesystem::path& path);

} // namespace tmq
