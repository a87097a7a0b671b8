#pragma once

#include "base/Cp1252.h"
#include "tables/DbfTable.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tmq::test {

using Row = std::map<std::string, std::string>;

// Every visible row of a table, each field read as text and given in UTF-8.
inline std::vector<Row> readRows(const std::filesystem::path& folder, const std::string& table)
{
    DbfTable dbf;
    dbf.open(folder, table);
    std::vector<Row> rows;
    for (dbf.first(); !dbf.eof(); dbf.next()) {
        Row row;
        for (int i = 0; i < dbf.fieldCount(); ++i) {
            const std::string name = dbf.fieldName(i);
            row[name] = cp1252ToUtf8(dbf.asText(name));
        }
        rows.push_back(row);
    }
    return rows;
}

// The values of one field over all rows.
inline std::vector<std::string> column(const std::vector<Row>& rows, const std::string& field)
{
    std::vector<std::string> values;
    for (const Row& row : rows)
        values.push_back(row.at(field));
    return values;
}

} // namespace tmq::test
