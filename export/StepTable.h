#pragma once

#include "core/Report.h"
#include "tables/DbfTable.h"
#include "xml/Envelope.h"

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

// Tells the report that an item of catalogue `seq` gave no record, and why.
void reportPassedOver(Report& report, std::string_view seq, std::size_t itemNumber,
                      const std::vector<XmlElement>& values, const std::string& reason);

// Tells the report how many records a step wrote into its table.
void reportRecords(Report& report, std::string_view tableName, std::size_t count);

// Calls `write(values)` for every item of catalogue `seq` that has at least
// `leastValues` value elements, in document order; the others are passed
// over and reported.
template <typename WriteItem>
void forEachItem(const XmlDocument& doc, std::string_view seq, std::size_t leastValues,
                 Report& report, WriteItem&& write)
{
    std::size_t itemNumber = 0;
    for (const XmlElement& item : catalogueItems(doc, seq)) {
        ++itemNumber;
        const std::vector<XmlElement> values = valueElements(doc, item);
        if (values.size() < leastValues) {
            if (report.wanted())
                reportPassedOver(report, seq, itemNumber, values,
                                 "tiene " + std::to_string(values.size()) +
                                     (values.size() == 1 ? " valor" : " valores") +
                                     " y hacen falta " + std::to_string(leastValues));
            continue;
        }
        write(values);
    }
}

// Positional steps pass over items with fewer value elements than this.
inline constexpr std::size_t kLeastValueCount = 2;

} // namespace tmq
