#include "timetable/RowIndex.h"

namespace tmq {

bool FirstRowIndex::moveToFirst(const std::string& key)
{
    const std::optional<int> row = firstRow(key);
    if (row)
        table_.moveTo(*row);
    return row.has_value();
}

std::optional<int> FirstRowIndex::firstRow(const std::string& key)
{
    if (!built_) {
        // The field is looked up at the first row: an empty table is no error.
        int field = -1;
        for (table_.first(); !table_.eof(); table_.next()) {
            if (field < 0)
                field = table_.fieldIndex(keyField_);
            firstRow_.try_emplace(table_.asText(field), table_.recordNumber());
        }
        built_ = true;
    }
    const auto found = firstRow_.find(key);
    if (found == firstRow_.end())
        return std::nullopt;
    return found->second;
}

const std::vector<int>& RowGroups::rowsFor(const std::string& key)
{
    if (!built_) {
        // Fails at once when the key field is missing, even on an empty table.
        const int field = table_.fieldIndex(keyField_);
        for (table_.first(); !table_.eof(); table_.next())
            groups_[table_.asText(field)].push_back(table_.recordNumber());
        built_ = true;
    }
    const auto found = groups_.find(key);
    return found == groups_.end() ? none_ : found->second;
}

} // namespace tmq
