#include "export/StepTable.h"

#include "core/Cp1252.h"

namespace tmq {

void recreateStepTable(DbfTable& table, const std::filesystem::path& folder,
                       std::string_view tableName, const std::vector<FieldDef>& layout)
{
    DbfTable::removeFiles(folder, tableName);
    table.create(folder, tableName, layout);
    table.open(folder, tableName, Access::Shared);
}

void reportPassedOver(Report& report, std::string_view seq, std::size_t itemNumber,
                      const std::vector<XmlElement>& values, const std::string& reason)
{
    std::string line = std::string(seq) + ", elemento " + std::to_string(itemNumber);
    std::string shown;
    for (std::size_t i = 0; i < values.size() && i < 4; ++i)
        shown += (i ? ", '" : "'") + cp1252ToUtf8(readValue(values[i])) + "'";
    if (!shown.empty())
        line += " (" + shown + (values.size() > 4 ? ", ..." : "") + ")";
    report.line(line + ": pasado por alto, " + reason);
}

void reportRecords(Report& report, std::string_view tableName, std::size_t count)
{
    if (report.wanted())
        report.line(std::string(tableName) + ": " + std::to_string(count) +
                    (count == 1 ? " registro escrito" : " registros escritos"));
}

} // namespace tmq
