#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tmq::test {

// One value element of an item: <salida dato="...">text</salida>.
struct Value {
    std::string text;
    std::optional<std::string> dato;
};
using Item = std::vector<Value>;

// One catalogue list <listasal seq="...">: its items, and any raw XML
// placed after them inside the list.
struct Catalogue {
    std::string seq;
    std::vector<Item> items;
    std::string extraXml;
};

// Escapes text for XML content or a double-quoted attribute.
inline std::string xmlEscape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

// Items whose values are given by position.
inline std::vector<Item> positional(const std::vector<std::vector<std::string>>& rows)
{
    std::vector<Item> items;
    for (const auto& row : rows) {
        Item item;
        for (const auto& text : row)
            item.push_back({text, std::nullopt});
        items.push_back(item);
    }
    return items;
}

// A UTF-8 exchange document: <SERVICIO><SALIDAS> with the catalogues in order.
inline std::string exchangeDocument(const std::vector<Catalogue>& catalogues)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO>\n <SALIDAS>\n";
    for (const Catalogue& catalogue : catalogues) {
        xml += "  <listasal seq=\"" + xmlEscape(catalogue.seq) + "\">\n";
        for (const Item& item : catalogue.items) {
            xml += "   <listasal>";
            for (const Value& value : item) {
                xml += "<salida";
                if (value.dato)
                    xml += " dato=\"" + xmlEscape(*value.dato) + "\"";
                xml += ">" + xmlEscape(value.text) + "</salida>";
            }
            xml += "</listasal>\n";
        }
        xml += catalogue.extraXml;
        xml += "  </listasal>\n";
    }
    xml += " </SALIDAS>\n</SERVICIO>\n";
    return xml;
}

} // namespace tmq::test
