#include "export/StepTable.h"

namespace tmq {

void recreateStepTable(DbfTable& table, const std::filesystem::path& folder,
                       std::string_view tableName, const std::vector<FieldDef>& layout)
{
    DbfTable::removeFiles(folder, tableName);
    table.create(folder, tableName, layout);
    table.open(folder, tableName, Access::Shared);
}

} // namespace tmq
