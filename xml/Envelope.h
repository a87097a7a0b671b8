#pragma once

#include "xml/XmlDocument.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tmq {

// The items of catalogue `seq`: every listasal inside a
// /SERVICIO/SALIDAS/listasal whose seq is exactly `seq`, in document order.
std::vector<XmlElement> catalogueItems(const XmlDocument& doc, std::string_view seq);

// An item's value elements: its `salida` children, in document order.
std::vector<XmlElement> valueElements(const XmlDocument& doc, XmlElement item);

// The value rule: the element's text without leading and trailing characters
// of code 32 or below, converted to Windows-1252.
std::string readValue(XmlElement valueElement);

// The value at a 0-based position; a missing position gives the empty text.
std::string valueAt(const std::vector<XmlElement>& values, std::size_t position);

// Throws the error that names `dato` when `value` (table text, or its saved
// markup) holds a control character XML cannot hold, even as a reference.
void requireXmlText(std::string_view dato, std::string_view value);

// Appends to `parent` a new <listasal seq="seq"> and returns it.
XmlElement appendList(XmlDocument& doc, XmlElement parent, std::string_view seq);

// Appends to `list` a new <salida dato="dato"> holding `ansiValue`, which is
// Windows-1252 table text. A control character XML cannot hold is refused.
void appendValue(XmlDocument& doc, XmlElement list, std::string_view dato,
                 std::string_view ansiValue);

// The same lists and values as markup, written straight into a document
// being saved (XmlDocument::save with content), byte for byte as the
// elements appendList and appendValue create are saved.

// Appends <listasal seq="PREFIXnumber">.
void openListMarkup(std::string& markup, std::string_view seqPrefix, std::uint32_t number);
// Appends </listasal>.
void closeListMarkup(std::string& markup);
// Appends Windows-1252 table text as the text of an element is saved: in
// UTF-8, with "&", "<", ">" and carriage returns escaped.
void appendTextMarkup(std::string& markup, std::string_view ansiValue);
// Appends <salida dato="dato">text</salida>, or <salida dato="dato"/> when
// the text is empty; `textMarkup` as appendTextMarkup gives it.
void appendValueMarkup(std::string& markup, std::string_view dato, std::string_view textMarkup);

} // namespace tmq
