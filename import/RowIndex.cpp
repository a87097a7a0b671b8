#include "import/RowIndex.h"

namespace tmq {

bool FirstRowIndex::moveToFirst(const std::string& key)
{
    if (!built_) {
        for (table_.first(); !table_.eof(); table_.next())
            firstRow_.try_emplace(table_.asText(keyField_), table_.recordNumber());
        built_ = true;
    }
    const auto found = firstRow_.find(key);
    if (found == firstRow_.end())
        return false;
    table_.moveTo(found->second);
    return true;
}

const std::vector<int>& RowGroups::rowsFor(const std::string& key)
{
    if (!built_) {
        // Fails at once when the key field is missing, even on an empty table.
        table_.fieldIndex(keyField_);
        for (table_.first(); !table_.eof(); table_.next())
            groups_[table_.asText(keyField_)].push_back(table_.recordNumber());
        built_ = true;
    }
    const auto found = groups_.find(key);
    return found == groups_.end() ? none_ : found->second;
}

} // namespace tmq
