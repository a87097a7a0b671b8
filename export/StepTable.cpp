#include "export/StepTable.h"

#include "base/Cp1252.h"

#include "base/Error.h"
#include "base/FileLock.h"
#include "base/PlatformFiles.h"
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

bool tooFewValues(StepRecords& step, std::string_view seq, const ItemValues& v)
{
    ++step.items;
    if (v.count() >= kLeastValueCount)
        return false;
    if (step.log.wanted()) {
        std::string line = std::string(seq) + ", elemento " + std::to_string(step.items);
        if (v.count() > 0)
            line += " ('" + cp1252ToUtf8(v.at(0)) + "')";
        step.log.line(line + ": pasado por alto, tiene " + std::to_string(v.count()) +
                      (v.count() == 1 ? " valor" : " valores") + " y hacen falta " +
                      std::to_string(kLeastValueCount));
    }
    return true;
}

void writeStepTable(const std::filesystem::path& folder, std::string_view tableName,
                    const std::vector<FieldDef>& layout, const StepRecords& step)
{
    DbfTable table;
    recreateStepTable(table, folder, tableName, layout);
    table.appendRecords(step.records);
    if (step.log.wanted()) {
        const std::size_t count = step.records.count();
        step.log.line(std::string(tableName) + ": " + std::to_string(count) +
                      (count == 1 ? " registro escrito" : " registros escritos"));
    }
    if (step.failure)
        std::rethrow_exception(step.failure);
    table.close();
}

} // namespace tmq
