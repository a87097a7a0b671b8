#pragma once

#include "export/ExportSteps.h"
#include "tables/DbfTable.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace tmq {

// Creates the step's new table with `layout` under its temporary name (see
// TableReplacement, which later puts it in place of NAME.DBF and deletes
// NAME.MDX) and leaves it open in `table`. Refuses a table that another
// program holds open.
void recreateStepTable(DbfTable& table, const std::filesystem::path& folder,
                       std::string_view tableName, const std::vector<FieldDef>& layout);

// Recreates the step's table and writes its records; then throws the step's
// error, if it has one.
void writeStepTable(const std::filesystem::path& folder, std::string_view tableName,
                    const std::vector<FieldDef>& layout, const StepRecords& step);

} // namespace tmq
