#pragma once

#include <string>

namespace tmq {

// The school a Quelmar document is about, from the entries at its start.
struct SchoolHeading {
    std::string name; // D_CENTRO, UTF-8; empty when the document has none
    std::string year; // C_ANNO
};

// Reads the entries of the document at `documentPath` (UTF-8) up to the end
// of ENTRADAS, not the catalogues after them. A missing, unreadable or
// malformed document throws tmq::Error as every reading of documents does.
SchoolHeading readSchoolHeading(const std::string& documentPath);

} // namespace tmq
