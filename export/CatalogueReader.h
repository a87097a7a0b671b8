#pragma once

#include "xml/XmlStream.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tmq {

// The values the export keeps of one catalogue item, each already through
// the value rule: trimmed of characters of code 32 and below, in Windows-1252.
class ItemValues {
public:
    static constexpr std::size_t kMaxSlots = 8;

    // The item's number of value elements (its `salida` children).
    std::size_t count() const { return count_; }
    // The value kept in a slot: a position, or a name's slot; empty when the
    // item has none there.
    std::string_view at(std::size_t slot) const
    {
        const auto [begin, length] = slots_[slot];
        return std::string_view(text_).substr(begin, length);
    }

private:
    friend class CatalogueReader;
    void clear();

    std::string text_; // every kept value, one after the other
    std::array<std::pair<std::size_t, std::size_t>, kMaxSlots> slots_{};
    std::size_t count_ = 0;
};

// How the values of a catalogue's items are picked and where its items go.
struct CatalogueReading {
    std::string seq; // the catalogue's name, exactly
    // Picked by position: the first `positions` value elements, slot k for
    // position k. Picked by name (when `positions` is 0): the element whose
    // "dato" attribute is one of `names` fills that name's slot; a later
    // element of the same slot replaces an earlier one.
    std::size_t positions = 0;
    std::vector<std::pair<std::string_view, std::size_t>> names;
    std::function<void(const ItemValues&)> onItem;
};

// Walks a document as it is read and hands over, in document order, every
// item of the catalogues asked for: the inner listasal elements of each
// /SERVICIO/SALIDAS/listasal whose seq names the catalogue, with their
// values picked as the catalogue says. Only plain element names (no prefix,
// no namespace) match. Nothing else of the document is kept.
class CatalogueReader : public XmlStreamHandler {
public:
    explicit CatalogueReader(std::vector<CatalogueReading> catalogues);

    void startElement(std::string_view localName, bool plain,
                      const XmlAttributes& attributes) override;
    void endElement() override;
    void text(std::string_view utf8) override;

private:
    // How deep the path /SERVICIO/SALIDAS/listasal/listasal/salida is
    // matched by the open elements; depth_ counts all open elements.
    enum Level { None, Root, Section, Catalogue, Item, Value };

    std::vector<CatalogueReading> catalogues_;
    std::size_t depth_ = 0;
    std::size_t matched_ = None;
    const CatalogueReading* catalogue_ = nullptr;
    ItemValues item_;
    std::size_t valueSlot_ = 0;
    bool keepingValue_ = false;
    std::string valueText_; // raw UTF-8 text of the value being read
};

} // namespace tmq
