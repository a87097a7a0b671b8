#pragma once

#include "export/ExportSteps.h"
#include "tables/DbfTable.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace tmq {

// Deletes NAME.DBF and NAME.MDX, creates the table anew with `layout` and
// leaves it open in `table`.
void recreateStepTable(DbfTable& table, const std::filesystem::path& folder,
                       std::string_view tableName, const std::vector<FieldDef>& layout);

// Recreates the step's table and writes its records; then throws the step's
// error, if it has one.
void writeStepTable(const std::filesystem::path& folder, std::string_view tableName,
                    const std::vector<FieldDef>& layout, const StepRecords& step);

} // namespace tmq
