#include "export/StepTable.h"

#include "core/Cp1252.h"
#include "core/Error.h"
#include "core/PlatformFiles.h"
#include "tables/FileLock.h"
#include "tables/FileNames.h"
#include "tables/TableReplacement.h"

namespace tmq {

namespace {

// The old table is replaced only at the end of the export; a program holding
// it open would be left with a table changed under it, so the step refuses
// it before writing anything.
void refuseTableInUse(const std::filesystem::path& folder, std::string_view tableName)
{
    for (const char* extension : {".DBF", ".MDX"})
        for (const std::filesystem::path& file :
             filesNamedLike(folder, std::string(tableName) + extension))
            if (FileLock::isLockedElsewhere(file))
                throw Error("No se puede reemplazar " +
                            std::string(extension[1] == 'D' ? "la tabla" : "el índice") + " '" +
                            pathToUtf8(file) + "': está en uso por otro programa");
}

} // namespace

void recreateStepTable(DbfTable& table, const std::filesystem::path& folder,
                       std::string_view tableName, const std::vector<FieldDef>& layout)
{
    refuseTableInUse(folder, tableName);
    const std::string temporary = temporaryTableName(tableName);
    table.create(folder, temporary, layout);
    table.open(folder, temporary, Access::Shared);
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
