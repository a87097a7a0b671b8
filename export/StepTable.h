#pragma once

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

// Calls `write(values)` for every item of catalogue `seq` that has at least
// `leastValues` value elements, in document order.
template <typename WriteItem>
void forEachItem(const XmlDocument& doc, std::string_view seq, std::size_t leastValues,
                 WriteItem&& write)
{
    for (const XmlElement& item : catalogueItems(doc, seq)) {
        const std::vector<XmlElement> values = valueElements(doc, item);
        if (values.size() < leastValues)
            continue;
        write(values);
    }
}

// Positional steps pass over items with fewer value elements than this.
inline constexpr std::size_t kLeastValueCount = 2;

} // namespace tmq
