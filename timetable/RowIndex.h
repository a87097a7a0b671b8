#pragma once

#include "tables/DbfTable.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tmq {

// For each text value of a key field, the first row in record order that
// holds it: the row a scan from the top would stop at. Built on first use,
// so a table that is never searched is never read.
class FirstRowIndex {
public:
    FirstRowIndex(DbfTable& table, std::string keyField)
        : table_(table), keyField_(std::move(keyField))
    {
    }

    // Moves the table to the first row whose key equals `key` exactly;
    // false, and the table where it was, when no row does.
    bool moveToFirst(const std::string& key);
    // The record number of that row, without moving the table.
    std::optional<int> firstRow(const std::string& key);

private:
    DbfTable& table_;
    std::string keyField_;
    bool built_ = false;
    std::unordered_map<std::string, int> firstRow_;
};

// The rows of a table grouped by the exact text of a key field, each group in
// record order. Built on first use.
class RowGroups {
public:
    RowGroups(DbfTable& table, std::string keyField) : table_(table), keyField_(std::move(keyField))
    {
    }

    // Record numbers of the rows whose key equals `key` exactly.
    const std::vector<int>& rowsFor(const std::string& key);

private:
    DbfTable& table_;
    std::string keyField_;
    bool built_ = false;
    std::unordered_map<std::string, std::vector<int>> groups_;
    const std::vector<int> none_;
};

} // namespace tmq
