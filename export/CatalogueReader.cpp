#include "export/CatalogueReader.h"

#include "base/Cp1252.h"

namespace tmq {

namespace {

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

// The value rule on raw UTF-8 text. Bytes of 32 and below are never part of
// a longer UTF-8 sequence, so trimming before the conversion is the same.
void appendValue(std::string& out, std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    appendUtf8AsCp1252(out, text);
}

} // namespace

void ItemValues::clear()
{
    text_.clear();
    slots_.fill({0, 0});
    count_ = 0;
}

CatalogueReader::CatalogueReader(std::vector<CatalogueReading> catalogues)
    : catalogues_(std::move(catalogues))
{
}

void CatalogueReader::startElement(std::string_view localName, bool plain,
                                   const XmlAttributes& attributes)
{
    ++depth_;
    if (depth_ != matched_ + 1 || !plain)
        return;
    switch (matched_) {
    case None:
        if (localName == "SERVICIO")
            matched_ = Root;
        break;
    case Root:
        if (localName == "SALIDAS")
            matched_ = Section;
        break;
    case Section:
        if (localName == "listasal") {
            const std::optional<std::string_view> seq = attributes.find("seq");
            for (const CatalogueReading& catalogue : catalogues_) {
                if (seq && *seq == catalogue.seq) {
                    catalogue_ = &catalogue;
                    matched_ = Catalogue;
                    break;
                }
            }
        }
        break;
    case Catalogue:
        if (localName == "listasal") {
            item_.clear();
            matched_ = Item;
        }
        break;
    case Item:
        if (localName == "salida") {
            matched_ = Value;
            const std::size_t position = item_.count_++;
            keepingValue_ = false;
            if (catalogue_->positions > 0) {
                keepingValue_ = position < catalogue_->positions;
                valueSlot_ = position;
            } else if (const std::optional<std::string_view> dato = attributes.find("dato")) {
                for (const auto& [name, slot] : catalogue_->names) {
                    if (*dato == name) {
                        keepingValue_ = true;
                        valueSlot_ = slot;
                        break;
                    }
                }
            }
            valueText_.clear();
        }
        break;
    default:
        break;
    }
}

void CatalogueReader::endElement()
{
    if (depth_-- != matched_)
        return;
    switch (matched_) {
    case Value:
        if (keepingValue_) {
            const std::size_t begin = item_.text_.size();
            appendValue(item_.text_, valueText_);
            item_.slots_[valueSlot_] = {begin, item_.text_.size() - begin};
            keepingValue_ = false;
        }
        break;
    case Item:
        catalogue_->onItem(item_);
        break;
    case Catalogue:
        catalogue_ = nullptr;
        break;
    default:
        break;
    }
    --matched_;
}

void CatalogueReader::text(std::string_view utf8)
{
    if (keepingValue_)
        valueText_ += utf8;
}

} // namespace tmq
