#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tmq {

class RecordBuffer;

// Logical field types of the tables this program creates.
enum class FieldType {
    Text,    // 'C' of the given width
    Integer, // 'N' (11,0)
    Float,   // 'N' (20,4)
};

struct FieldDef {
    std::string name;
    FieldType type = FieldType::Text;
    int width = 0; // text fields only
};

// Whether an opened table may be shared with other programs.
enum class Access { Shared, Exclusive };

// A dBASE table in a folder, read and written through shapelib.
//
// Text values are Windows-1252. Rows marked deleted are invisible. Numbers
// are written and read independently of the C library's locale. Table and
// index files are found whatever the letter case of their names.
//
// Every failure throws tmq::Error; when the table object has a name, its
// text starts with the name and ": ".
class DbfTable {
public:
    // `name` is the component's name used in messages; empty for none.
    explicit DbfTable(std::string name = {});
    ~DbfTable();
    DbfTable(const DbfTable&) = delete;
    DbfTable& operator=(const DbfTable&) = delete;

    // Deletes NAME.DBF and then NAME.MDX in `folder`, each by itself and in
    // whatever letter case it is stored. Refuses a table another program
    // holds locked.
    static void removeFiles(const std::filesystem::path& folder, std::string_view tableName);

    // Writes a new, empty NAME.DBF with exactly these fields, replacing a
    // file of that name. `tableName` may carry ".DBF" or not.
    void create(const std::filesystem::path& folder, std::string_view tableName,
                const std::vector<FieldDef>& fields);

    // Opens NAME.DBF; opening an open table changes nothing. Exclusive access
    // fails while another program holds the table locked.
    void open(const std::filesystem::path& folder, std::string_view tableName,
              Access access = Access::Shared);
    // Reads every record of the open table into memory in one pass, in
    // record order; rows are then read from there. For a table that is only
    // read from now on.
    void keepInMemory();
    // Closes the table, writing what was posted. Safe on a closed table.
    void close();
    bool isOpen() const;

    const std::string& name() const { return name_; }
    // Full path of the table file (once created or opened).
    const std::filesystem::path& path() const;

    // Cursor over the visible rows in physical order (filter applied).
    void first();
    void next();
    bool eof() const;
    // Physical record number (0-based) of the current row.
    int recordNumber() const;
    // Moves to a physical record, which must be visible.
    void moveTo(int recordNumber);

    // Starts a new row with all fields empty; post() stores it after the
    // last row and stands on it. Values assigned before post() read back from
    // the new row. A row not posted is dropped by a move, append() or close().
    void append();
    void post();
    // Posts the records of `records`, built for this table's layout, after
    // the last row, and stands on the last of them.
    void appendRecords(const RecordBuffer& records);

    // Index of a field; a missing name throws
    // "No se encuentra el campo 'NAME'" (with the table object's name).
    int fieldIndex(std::string_view fieldName) const;
    // Index of a field whose values can be read; nothing when the table has
    // no such field, or one of a type that cannot be read.
    std::optional<int> findReadableField(std::string_view fieldName) const;
    int fieldCount() const;
    std::string fieldName(int index) const;

    // Reads the current row (or the row being appended).
    // Text: trailing blanks removed, leading ones kept; numbers as decimals.
    std::string asText(std::string_view fieldName) const;
    // The same by the field's index, which saves looking the name up.
    std::string asText(int fieldIndex) const;
    int asInteger(int fieldIndex) const;
    // Whole number; empty gives 0; anything else throws
    // "'%s' no es un valor entero válido".
    int asInteger(std::string_view fieldName) const;
    // Floating-point number; empty gives 0.
    double asFloat(std::string_view fieldName) const;

    // Assigns to the row being appended. Text longer than the field is cut to
    // its width without notice.
    void setText(std::string_view fieldName, std::string_view value);
    void setFloat(std::string_view fieldName, double value);

    // Shows only the rows whose `fieldName` text equals `value` exactly
    // (letter case counts; trailing blanks of the field are ignored), and
    // stands on the first of them.
    void setFilter(std::string_view fieldName, std::string value);
    void clearFilter();

private:
    struct Impl;
    std::string name_;
    std::unique_ptr<Impl> impl_;
};

} // namespace tmq
