#pragma once

#include "tables/DbfTable.h"
#include "tables/DbfValue.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tmq {

// New records of a table layout, formatted in memory byte for byte as the
// table file stores them (the same encoding DbfTable uses for one record at a
// time), to be written by DbfTable::appendRecords in one go.
class RecordBuffer {
public:
    explicit RecordBuffer(const std::vector<FieldDef>& layout);

    // Index of a field of the layout; the name must be one of them.
    int field(std::string_view name) const;

    // Starts a new record with every field empty.
    void append();
    // Assigns to the record being built, cut to the field's width.
    void setText(int field, std::string_view value);
    // False when the number does not fit the field.
    bool setFloat(int field, double value);
    // The number the record being built holds in the field, as it reads back.
    double asFloat(int field) const;
    // Forgets the record being built.
    void dropLast();

    std::size_t count() const { return count_; }
    std::size_t recordLength() const { return recordLength_; }
    std::string_view bytes() const { return bytes_; }

private:
    std::span<char> slot(int field);

    std::vector<DbfField> fields_;
    std::string blank_; // an empty record
    std::size_t recordLength_ = 0;
    std::string bytes_;
    std::size_t count_ = 0;
};

} // namespace tmq
