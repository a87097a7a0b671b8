#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace tmq {

// The name a table is written under before it takes the place of NAME.DBF:
// "~tmq-NAME". No other program uses such names.
std::string temporaryTableName(std::string_view tableName);

// Deletes the temporary tables that a run killed while writing left in
// `folder`. Only the converter holding the folder's lock may call it.
void removeStaleTemporaryTables(const std::filesystem::path& folder);

// Tables of `folder` written under temporary names and put in place of the
// old ones together at the end, so that each table name holds at any moment
// either the whole old table or the whole new one. What is not put in place
// is deleted when the object goes.
class TableReplacement {
public:
    explicit TableReplacement(std::filesystem::path folder);
    ~TableReplacement();
    TableReplacement(const TableReplacement&) = delete;
    TableReplacement& operator=(const TableReplacement&) = delete;

    // The temporary table of `tableName` is complete and closed: it is
    // written through to the disk and will replace NAME.DBF.
    void complete(std::string_view tableName);

    // After a failure while `tableName` was written: it will replace
    // NAME.DBF only if its temporary file is a whole table, with the records
    // written before the failure (a full disk leaves a cut one, which goes).
    void completeIfWhole(std::string_view tableName);

    // Renames every complete table over NAME.DBF, in the order completed,
    // then deletes each replaced table's index file NAME.MDX and any copy of
    // NAME.DBF stored in another letter case.
    void commit();

    // `text` with the temporary file names replaced by the tables' own, for
    // messages about a table being written.
    std::string withTableNames(std::string text) const;

private:
    std::filesystem::path temporaryFile(std::string_view tableName) const;

    std::filesystem::path folder_;
    std::vector<std::string> complete_;
    std::vector<std::string> written_;
};

} // namespace tmq
