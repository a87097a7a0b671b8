#include "tables/RecordBuffer.h"

#include "tables/FileNames.h"

#include <stdexcept>

namespace tmq {

namespace {

// The field as a created table lays it out (DbfTable::create).
DbfField storedField(const FieldDef& def, int offset)
{
    switch (def.type) {
    case FieldType::Integer:
        return {def.name, 'N', offset, 11, 0};
    case FieldType::Float:
        return {def.name, 'N', offset, 20, 4};
    case FieldType::Text:
        break;
    }
    return {def.name, 'C', offset, def.width, 0};
}

} // namespace

RecordBuffer::RecordBuffer(const std::vector<FieldDef>& layout)
{
    int offset = 1;
    for (const FieldDef& def : layout) {
        fields_.push_back(storedField(def, offset));
        offset += fields_.back().width;
    }
    recordLength_ = static_cast<std::size_t>(offset);
    blank_.assign(recordLength_, ' ');
    for (const DbfField& f : fields_)
        writeEmpty(f, std::span<char>(blank_).subspan(static_cast<std::size_t>(f.offset),
                                                      static_cast<std::size_t>(f.width)));
}

int RecordBuffer::field(std::string_view name) const
{
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (sameNameIgnoringCase(fields_[i].name, name))
            return static_cast<int>(i);
    throw std::logic_error("el diseño de la tabla no tiene el campo " + std::string(name));
}

void RecordBuffer::append()
{
    bytes_ += blank_;
    ++count_;
}

std::span<char> RecordBuffer::slot(int field)
{
    const DbfField& f = fields_[static_cast<std::size_t>(field)];
    return std::span<char>(bytes_).subspan(bytes_.size() - recordLength_ +
                                               static_cast<std::size_t>(f.offset),
                                           static_cast<std::size_t>(f.width));
}

void RecordBuffer::setText(int field, std::string_view value)
{
    writeText(fields_[static_cast<std::size_t>(field)], value, slot(field));
}

bool RecordBuffer::setFloat(int field, double value)
{
    return writeFloat(fields_[static_cast<std::size_t>(field)], value, slot(field));
}

double RecordBuffer::asFloat(int field) const
{
    const DbfField& f = fields_[static_cast<std::size_t>(field)];
    const std::string_view raw = std::string_view(bytes_).substr(
        bytes_.size() - recordLength_ + static_cast<std::size_t>(f.offset),
        static_cast<std::size_t>(f.width));
    return fieldFloat(f, raw).value_or(0.0);
}

void RecordBuffer::dropLast()
{
    bytes_.resize(bytes_.size() - recordLength_);
    --count_;
}

} // namespace tmq
