#include "xml/Envelope.h"

#include "base/Cp1252.h"
#include "base/Error.h"

#include <libxml/tree.h>

namespace tmq {

namespace {

// Whether `node` is an element without namespace named `name`, which is what
// a plain name in an XPath step selects.
bool isElement(const xmlNode* node, std::string_view name)
{
    return node->type == XML_ELEMENT_NODE && node->ns == nullptr &&
           reinterpret_cast<const char*>(node->name) == name;
}

// Appends to `out` the children of `parent` that the XPath step `name` selects.
void appendChildren(XmlElement parent, std::string_view name, std::vector<XmlElement>& out)
{
    for (xmlNodePtr child = parent.raw()->children; child != nullptr; child = child->next) {
        if (isElement(child, name))
            out.emplace_back(child);
    }
}

bool isBlank(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

} // namespace

// Walks the tree rather than evaluating
// /SERVICIO/SALIDAS/listasal[@seq="SEQ"]/listasal: the same elements, without
// quoting `seq` into an expression, and faster on large documents.
std::vector<XmlElement> catalogueItems(const XmlDocument& doc, std::string_view seq)
{
    std::vector<XmlElement> items;
    const XmlElement root = doc.documentElement();
    if (!root || !isElement(root.raw(), "SERVICIO"))
        return items;
    for (xmlNodePtr node = root.raw()->children; node != nullptr; node = node->next) {
        if (!isElement(node, "SALIDAS"))
            continue;
        for (xmlNodePtr list = node->children; list != nullptr; list = list->next) {
            if (isElement(list, "listasal") && XmlElement(list).attribute("seq") == seq)
                appendChildren(XmlElement(list), "listasal", items);
        }
    }
    return items;
}

std::vector<XmlElement> valueElements(const XmlDocument&, XmlElement item)
{
    std::vector<XmlElement> values;
    if (item)
        appendChildren(item, "salida", values);
    return values;
}

std::string readValue(XmlElement valueElement)
{
    const std::string text = valueElement.text();
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    return utf8ToCp1252(std::string_view(text).substr(begin, end - begin));
}

std::string valueAt(const std::vector<XmlElement>& values, std::size_t position)
{
    return position < values.size() ? readValue(values[position]) : std::string();
}

void requireXmlText(std::string_view dato, std::string_view value)
{
    // XML has no place for control characters but the tab and line breaks,
    // not even as references: a result holding one could not be read back.
    for (const char c : value) {
        const auto code = static_cast<unsigned char>(c);
        if (code < 0x20 && c != '\t' && c != '\n' && c != '\r')
            throw Error("No se puede escribir " + std::string(dato) +
                        " en el documento: su valor en la tabla contiene el carácter de control "
                        "de código " +
                        std::to_string(code) + ", que un documento XML no admite");
    }
}

XmlElement appendList(XmlDocument& doc, XmlElement parent, std::string_view seq)
{
    XmlElement list = doc.createElement("listasal");
    list.setAttribute("seq", seq);
    doc.appendChild(parent, list);
    return list;
}

void appendValue(XmlDocument& doc, XmlElement list, std::string_view dato,
                 std::string_view ansiValue)
{
    requireXmlText(dato, ansiValue);
    XmlElement value = doc.createElement("salida");
    value.setAttribute("dato", dato);
    value.setText(cp1252ToUtf8(ansiValue));
    doc.appendChild(list, value);
}

void openListMarkup(std::string& markup, std::string_view seqPrefix, std::uint32_t number)
{
    markup += "<listasal seq=\"";
    markup += seqPrefix;
    markup += std::to_string(number);
    markup += "\">";
}

void closeListMarkup(std::string& markup)
{
    markup += "</listasal>";
}

void appendTextMarkup(std::string& markup, std::string_view ansiValue)
{
    // Escaped as libxml2 escapes text on save.
    const std::size_t start = markup.size();
    appendCp1252AsUtf8(markup, ansiValue);
    if (markup.find_first_of("&<>\r", start) == std::string::npos)
        return;
    const std::string plain = markup.substr(start);
    markup.resize(start);
    for (const char c : plain) {
        switch (c) {
        case '&':
            markup += "&amp;";
            break;
        case '<':
            markup += "&lt;";
            break;
        case '>':
            markup += "&gt;";
            break;
        case '\r':
            markup += "&#13;";
            break;
        default:
            markup += c;
        }
    }
}

void appendValueMarkup(std::string& markup, std::string_view dato, std::string_view textMarkup)
{
    markup += "<salida dato=\"";
    markup += dato;
    if (textMarkup.empty()) {
        markup += "\"/>";
        return;
    }
    markup += "\">";
    markup += textMarkup;
    markup += "</salida>";
}

} // namespace tmq
