#include "export/StepTable.h"

namespace tmq {

void recreateStepTable(DbfTable& table, const std::filesystem::path& folder,
                       std::string_view tableName, const std::vector<FieldDef>& layout)
{
    DbfTable::removeFiles(folder, tableName);
    table.create(folder, tableName, layout);
    table.open(folder, tableName, Access::Shared);
}

void writeStepTable(const std::filesystem::path& folder, std::string_view tableName,
                    const std::vector<FieldDef>& layout, const StepRecords& step)
{
    DbfTable table;
    recreateStepTable(table, folder, tableName, layout);
    table.appendRecords(step.records);
    if (step.failure)
        std::rethrow_exception(step.failure);
    table.close();
}

} // namespace tmq
