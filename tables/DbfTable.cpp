#include "tables/DbfTable.h"

#include "base/Cp1252.h"
#include "base/Error.h"
#include "base/FileLock.h"
#include "base/PlatformFiles.h"
#include "tables/DbfHeader.h"
#include "tables/DbfValue.h"
#include "tables/FileNames.h"
#include "tables/RecordBuffer.h"
#include "tables/ShapelibHooks.h"
#include "tables/WholeNumber.h"

#include <shapefil.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <utility>

namespace tmq {

namespace {

constexpr char kDeletedFlag = '*';
constexpr int kIntegerWidth = 11;
constexpr int kFloatWidth = 20;
constexpr int kFloatDecimals = 4;
constexpr int kMaxFieldNameLength = 10;
constexpr int kMaxTextWidth = 254;
// Language driver 3: Windows-1252, stored in the header and no .cpg file.
constexpr const char* kCodePage = "LDID/3";

// "SOLUC", "SOLUC.DBF" or "soluc.dbf" name the table file SOLUC.DBF.
std::string tableFileName(std::string_view tableName)
{
    if (tableName.size() > 4 &&
        sameNameIgnoringCase(tableName.substr(tableName.size() - 4), ".DBF"))
        tableName.remove_suffix(4);
    return std::string(tableName) + ".DBF";
}

std::string quoted(const std::filesystem::path& path)
{
    return "'" + pathToUtf8(path) + "'";
}

// A type letter as messages give it: 'M', or the byte's value when it is none.
std::string typeName(char type)
{
    if (type > ' ' && type < 0x7F)
        return std::string{'\'', type, '\''};
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", static_cast<unsigned char>(type));
    return text;
}

std::string upperCase(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return upper;
}

// Marks the table as changed today; shapelib would write a fixed date.
void stampToday(DBFHandle handle)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    DBFSetLastModifiedDate(handle, local.tm_year, local.tm_mon + 1, local.tm_mday);
}

// Deletes every file `fileName` in any letter case; `what` says what it is
// for the messages ("la tabla", "el índice").
void removeNamedLike(const std::filesystem::path& folder, const std::string& fileName,
                     const std::string& what)
{
    for (const std::filesystem::path& file : filesNamedLike(folder, fileName)) {
        if (FileLock::isLockedElsewhere(file))
            throw Error("No se puede borrar " + what + " " + quoted(file) +
                        ": está en uso por otro programa");
        std::error_code error;
        if (!std::filesystem::remove(file, error) && error)
            throw Error("No se puede borrar " + what + " " + quoted(file) + ": " +
                        systemReason(error.value()));
    }
}

} // namespace

struct DbfTable::Impl {
    explicit Impl(const std::string& name) : objectName(name) {}

    const std::string& objectName;
    std::filesystem::path path;
    DBFHandle handle = nullptr;
    FileLock lock;
    bool writable = false;
    std::vector<DbfField> fields;
    int recordLength = 0;
    int current = 0;
    std::string row; // bytes of the current row, or of the row being appended
    bool appending = false;
    std::optional<std::pair<int, std::string>> filter; // field index and text
    std::string records;                               // all records, once kept in memory
    bool inMemory = false;

    [[noreturn]] void fail(const std::string& text) const
    {
        throw Error(objectName.empty() ? text : objectName + ": " + text);
    }

    int recordCount() const { return handle != nullptr ? DBFGetRecordCount(handle) : 0; }

    void requireOpen() const
    {
        if (handle != nullptr)
            return;
        if (path.empty())
            fail("No hay ninguna tabla abierta");
        fail("La tabla " + quoted(path) + " no está abierta");
    }

    void requireRow() const
    {
        if (!appending && current >= recordCount())
            fail("No hay ningún registro actual en la tabla " + quoted(path));
    }

    void requireAppending(const DbfField& field) const
    {
        if (!appending)
            fail("No se puede asignar el campo '" + field.name + "': la tabla " + quoted(path) +
                 " no tiene ningún registro nuevo");
    }

    int indexOf(std::string_view fieldName) const
    {
        requireOpen();
        for (std::size_t i = 0; i < fields.size(); ++i)
            if (sameNameIgnoringCase(fields[i].name, fieldName))
                return static_cast<int>(i);
        fail("No se encuentra el campo '" + std::string(fieldName) + "'");
    }

    // A field whose values can be read and assigned.
    const DbfField& usableField(std::string_view fieldName) const
    {
        return usableField(indexOf(fieldName));
    }

    const DbfField& usableField(int index) const
    {
        requireOpen();
        if (index < 0 || index >= static_cast<int>(fields.size()))
            fail("La tabla " + quoted(path) + " no tiene campo número " +
                 std::to_string(index + 1));
        const DbfField& field = fields[static_cast<std::size_t>(index)];
        if (!isSupportedField(field))
            fail("El campo '" + field.name + "' de la tabla " + quoted(path) +
                 " es de un tipo que no se puede leer (" + typeName(field.type) + ")");
        return field;
    }

    std::string_view rawValue(const DbfField& field) const
    {
        return std::string_view(row).substr(static_cast<std::size_t>(field.offset),
                                            static_cast<std::size_t>(field.width));
    }

    std::span<char> rawSlot(const DbfField& field)
    {
        return std::span<char>(row).subspan(static_cast<std::size_t>(field.offset),
                                            static_cast<std::size_t>(field.width));
    }

    void load(int record)
    {
        if (inMemory) {
            const auto length = static_cast<std::size_t>(recordLength);
            row.assign(records, static_cast<std::size_t>(record) * length, length);
            return;
        }
        ShapelibScope scope(path);
        const char* bytes = DBFReadTuple(handle, record);
        if (bytes == nullptr || scope.failed())
            fail("No se puede leer el registro " + std::to_string(record + 1) + " de la tabla " +
                 quoted(path) + ": " + scope.reason());
        row.assign(bytes, static_cast<std::size_t>(recordLength));
    }

    // Loads `record` and tells whether the cursor may stand on it.
    bool loadVisible(int record)
    {
        load(record);
        if (row.front() == kDeletedFlag)
            return false;
        if (!filter)
            return true;
        const DbfField& field = fields[static_cast<std::size_t>(filter->first)];
        return fieldText(field, rawValue(field)) == filter->second;
    }

    // Puts the cursor on the first visible row from `record` on, or at the end.
    void seekVisible(int record)
    {
        appending = false;
        const int count = recordCount();
        for (current = record; current < count; ++current)
            if (loadVisible(current))
                return;
    }

    void adopt(DBFHandle opened, const std::filesystem::path& file, bool canWrite)
    {
        handle = opened;
        path = file;
        writable = canWrite;
        fields.clear();
        int offset = 1;
        for (int i = 0; i < DBFGetFieldCount(handle); ++i) {
            char name[XBASE_FLDNAME_LEN_READ + 1] = {};
            int width = 0;
            int decimals = 0;
            DBFGetFieldInfo(handle, i, name, &width, &decimals);
            std::string fieldName(name);
            fieldName.erase(fieldName.find_last_not_of(' ') + 1);
            const char type = DBFGetNativeFieldType(handle, i);
            fields.push_back({fieldName, type, offset, width, decimals});
            offset += width;
        }
        recordLength = offset;
        current = 0;
        appending = false;
        filter.reset();
    }

    // Releases the table, reporting what shapelib could not write.
    void release()
    {
        ShapelibScope scope(path);
        DBFClose(handle);
        handle = nullptr;
        lock.unlock();
        fields.clear();
        row.clear();
        records.clear();
        records.shrink_to_fit();
        inMemory = false;
        appending = false;
        filter.reset();
        current = 0;
        if (scope.failed())
            fail("No se puede guardar la tabla " + quoted(path) + ": " + scope.reason());
    }

    void openFile(const std::filesystem::path& file, Access access)
    {
        if (access == Access::Exclusive) {
            switch (lock.lock(file)) {
            case FileLock::Outcome::Locked:
                break;
            case FileLock::Outcome::Busy:
                fail("La tabla " + quoted(file) + " está en uso por otro programa");
            case FileLock::Outcome::Failed:
                fail("No se puede abrir la tabla " + quoted(file) + ": " +
                     systemReason(lock.error()));
            }
        }
        if (const std::string problem = dbfHeaderProblem(file); !problem.empty()) {
            lock.unlock();
            fail(problem);
        }

        ShapelibScope scope(file);
        bool canWrite = true;
        DBFHandle opened = DBFOpenLL(pathToUtf8(file).c_str(), "rb+", ShapelibScope::hooks());
        const int error = scope.openError();
        if (opened == nullptr && (error == EACCES || error == EPERM || error == EROFS)) {
            canWrite = false;
            opened = DBFOpenLL(pathToUtf8(file).c_str(), "rb", ShapelibScope::hooks());
        }
        if (opened == nullptr) {
            lock.unlock();
            fail("No se puede abrir la tabla " + quoted(file) + ": " + scope.reason());
        }
        adopt(opened, file, canWrite);
        if (canWrite)
            stampToday(handle);
        try {
            seekVisible(0);
        } catch (...) {
            try {
                release();
            } catch (const Error&) {
                // The first failure is the one to report.
            }
            throw;
        }
    }
};

DbfTable::DbfTable(std::string name) : name_(std::move(name)), impl_(std::make_unique<Impl>(name_))
{
}

DbfTable::~DbfTable()
{
    try {
        close();
    } catch (const Error&) {
        // A destructor cannot report; close() explicitly to hear of it.
    }
}

void DbfTable::removeFiles(const std::filesystem::path& folder, std::string_view tableName)
{
    const std::string dbfName = tableFileName(tableName);
    removeNamedLike(folder, dbfName, "la tabla");
    removeNamedLike(folder, dbfName.substr(0, dbfName.size() - 4) + ".MDX", "el índice");
}

void DbfTable::create(const std::filesystem::path& folder, std::string_view tableName,
                      const std::vector<FieldDef>& fields)
{
    close();
    const std::string fileName = tableFileName(tableName);
    const std::filesystem::path file = folder / fileName;
    for (const FieldDef& field : fields) {
        const bool sizeFits =
            field.type != FieldType::Text || (field.width >= 1 && field.width <= kMaxTextWidth);
        if (field.name.empty() || field.name.size() > kMaxFieldNameLength || !sizeFits)
            impl_->fail("No se puede crear la tabla " + quoted(file) + ": el campo '" + field.name +
                        "' no es válido");
    }
    if (fields.empty())
        impl_->fail("No se puede crear la tabla " + quoted(file) + ": no tiene campos");
    if (std::error_code ignored; !std::filesystem::is_directory(folder, ignored))
        impl_->fail("No se puede crear la tabla " + quoted(file) + ": no existe la carpeta " +
                    quoted(folder));
    try {
        removeNamedLike(folder, fileName, "la tabla");
    } catch (const Error& error) {
        impl_->fail(error.what());
    }

    ShapelibScope scope(file);
    DBFHandle created = DBFCreateLL(pathToUtf8(file).c_str(), kCodePage, ShapelibScope::hooks());
    if (created == nullptr)
        impl_->fail("No se puede crear la tabla " + quoted(file) + ": " + scope.reason());
    for (const FieldDef& field : fields) {
        const std::string name = upperCase(field.name);
        int added = -1;
        switch (field.type) {
        case FieldType::Text:
            added = DBFAddNativeFieldType(created, name.c_str(), 'C', field.width, 0);
            break;
        case FieldType::Integer:
            added = DBFAddNativeFieldType(created, name.c_str(), 'N', kIntegerWidth, 0);
            break;
        case FieldType::Float:
            added = DBFAddNativeFieldType(created, name.c_str(), 'N', kFloatWidth, kFloatDecimals);
            break;
        }
        if (added < 0) {
            DBFClose(created);
            impl_->fail("No se puede crear la tabla " + quoted(file) + ": el campo '" + name +
                        "' no se puede añadir (" + scope.reason() + ")");
        }
    }
    stampToday(created);
    // Writes the header now, so that the file is a whole table from the start.
    DBFUpdateHeader(created);
    impl_->adopt(created, file, true);
    if (scope.failed())
        impl_->release();
}

void DbfTable::open(const std::filesystem::path& folder, std::string_view tableName, Access access)
{
    if (isOpen())
        return;
    const std::string fileName = tableFileName(tableName);
    const std::optional<std::filesystem::path> file = findFileNamedLike(folder, fileName);
    if (!file)
        impl_->fail("No existe la tabla " + quoted(folder / fileName));
    impl_->openFile(*file, access);
}

void DbfTable::keepInMemory()
{
    impl_->requireOpen();
    if (impl_->inMemory)
        return;
    const int count = impl_->recordCount();
    const auto length = static_cast<std::size_t>(impl_->recordLength);
    std::string records;
    records.reserve(static_cast<std::size_t>(count) * length);
    for (int record = 0; record < count; ++record) {
        impl_->load(record);
        records += impl_->row;
    }
    impl_->records = std::move(records);
    impl_->inMemory = true;
    impl_->seekVisible(0);
}

void DbfTable::close()
{
    if (impl_->handle != nullptr)
        impl_->release();
}

bool DbfTable::isOpen() const
{
    return impl_->handle != nullptr;
}

const std::filesystem::path& DbfTable::path() const
{
    return impl_->path;
}

void DbfTable::first()
{
    impl_->requireOpen();
    impl_->seekVisible(0);
}

void DbfTable::next()
{
    impl_->requireOpen();
    impl_->seekVisible(std::min(impl_->current + 1, impl_->recordCount()));
}

bool DbfTable::eof() const
{
    return impl_->current >= impl_->recordCount();
}

int DbfTable::recordNumber() const
{
    return impl_->current;
}

void DbfTable::moveTo(int recordNumber)
{
    impl_->requireOpen();
    impl_->appending = false;
    if (recordNumber >= 0 && recordNumber < impl_->recordCount()) {
        if (impl_->loadVisible(recordNumber)) {
            impl_->current = recordNumber;
            return;
        }
        if (impl_->current < impl_->recordCount())
            impl_->load(impl_->current);
    }
    impl_->fail("El registro " + std::to_string(recordNumber + 1) + " de la tabla " +
                quoted(impl_->path) + " no existe o no está visible");
}

void DbfTable::append()
{
    impl_->requireOpen();
    impl_->row.assign(static_cast<std::size_t>(impl_->recordLength), ' ');
    for (const DbfField& field : impl_->fields)
        if (isSupportedField(field))
            writeEmpty(field, impl_->rawSlot(field));
    impl_->appending = true;
}

void DbfTable::post()
{
    impl_->requireOpen();
    if (!impl_->appending)
        impl_->fail("No hay ningún registro nuevo que guardar en la tabla " + quoted(impl_->path));
    if (!impl_->writable)
        impl_->fail("No se puede escribir en la tabla " + quoted(impl_->path) +
                    ": está abierta solo para lectura");
    const int record = impl_->recordCount();
    ShapelibScope scope(impl_->path);
    if (!DBFWriteTuple(impl_->handle, record, impl_->row.data()) || scope.failed())
        impl_->fail("No se puede escribir en la tabla " + quoted(impl_->path) + ": " +
                    scope.reason());
    impl_->appending = false;
    impl_->current = record;
}

void DbfTable::appendRecords(const RecordBuffer& records)
{
    impl_->requireOpen();
    if (!impl_->writable)
        impl_->fail("No se puede escribir en la tabla " + quoted(impl_->path) +
                    ": está abierta solo para lectura");
    if (records.recordLength() != static_cast<std::size_t>(impl_->recordLength))
        impl_->fail("No se puede escribir en la tabla " + quoted(impl_->path) +
                    ": los registros no tienen sus campos");
    impl_->appending = false;
    ShapelibScope scope(impl_->path);
    const char* record = records.bytes().data();
    for (std::size_t i = 0; i < records.count(); ++i, record += records.recordLength()) {
        const int number = impl_->recordCount();
        // shapelib copies the record and does not change it.
        if (!DBFWriteTuple(impl_->handle, number, const_cast<char*>(record)) || scope.failed())
            impl_->fail("No se puede escribir en la tabla " + quoted(impl_->path) + ": " +
                        scope.reason());
        impl_->current = number;
    }
    if (records.count() > 0)
        impl_->row.assign(record - records.recordLength(), records.recordLength());
}

int DbfTable::fieldIndex(std::string_view fieldName) const
{
    return impl_->indexOf(fieldName);
}

std::optional<int> DbfTable::findReadableField(std::string_view fieldName) const
{
    impl_->requireOpen();
    for (std::size_t i = 0; i < impl_->fields.size(); ++i)
        if (sameNameIgnoringCase(impl_->fields[i].name, fieldName))
            return isSupportedField(impl_->fields[i]) ? std::optional<int>(static_cast<int>(i))
                                                      : std::nullopt;
    return std::nullopt;
}

int DbfTable::fieldCount() const
{
    return static_cast<int>(impl_->fields.size());
}

std::string DbfTable::fieldName(int index) const
{
    impl_->requireOpen();
    if (index < 0 || index >= fieldCount())
        impl_->fail("La tabla " + quoted(impl_->path) + " no tiene campo número " +
                    std::to_string(index + 1));
    return impl_->fields[static_cast<std::size_t>(index)].name;
}

std::string DbfTable::asText(std::string_view fieldName) const
{
    const DbfField& field = impl_->usableField(fieldName);
    impl_->requireRow();
    return fieldText(field, impl_->rawValue(field));
}

std::string DbfTable::asText(int fieldIndex) const
{
    const DbfField& field = impl_->usableField(fieldIndex);
    impl_->requireRow();
    return fieldText(field, impl_->rawValue(field));
}

int DbfTable::asInteger(std::string_view fieldName) const
{
    return asInteger(impl_->indexOf(fieldName));
}

int DbfTable::asInteger(int fieldIndex) const
{
    const DbfField& field = impl_->usableField(fieldIndex);
    impl_->requireRow();
    const std::string_view raw = impl_->rawValue(field);
    if (const std::optional<int> value = fieldInteger(field, raw))
        return *value;
    impl_->fail(notWholeNumberMessage(fieldText(field, raw)));
}

double DbfTable::asFloat(std::string_view fieldName) const
{
    const DbfField& field = impl_->usableField(fieldName);
    impl_->requireRow();
    const std::string_view raw = impl_->rawValue(field);
    if (const std::optional<double> value = fieldFloat(field, raw))
        return *value;
    impl_->fail("'" + cp1252ToUtf8(fieldText(field, raw)) + "' no es un valor numérico válido (" +
                "campo '" + field.name + "' de la tabla " + quoted(impl_->path) + ")");
}

void DbfTable::setText(std::string_view fieldName, std::string_view value)
{
    const DbfField& field = impl_->usableField(fieldName);
    impl_->requireAppending(field);
    if (!writeText(field, value, impl_->rawSlot(field)))
        impl_->fail("'" + cp1252ToUtf8(value) + "' no es un valor válido para el campo '" +
                    field.name + "' de la tabla " + quoted(impl_->path));
}

void DbfTable::setFloat(std::string_view fieldName, double value)
{
    const DbfField& field = impl_->usableField(fieldName);
    impl_->requireAppending(field);
    if (!writeFloat(field, value, impl_->rawSlot(field)))
        impl_->fail("El número " + decimalText(value) + " no cabe en el campo '" + field.name +
                    "' de la tabla " + quoted(impl_->path));
}

void DbfTable::setFilter(std::string_view fieldName, std::string value)
{
    const int index = fieldIndex(fieldName);
    impl_->usableField(fieldName);
    impl_->filter.emplace(index, std::move(value));
    impl_->seekVisible(0);
}

void DbfTable::clearFilter()
{
    impl_->filter.reset();
    if (isOpen())
        impl_->seekVisible(0);
}

} // namespace tmq
