#pragma once

#include <string>
#include <string_view>

struct _xmlDoc;

namespace tmq {

// Parses a whole document held in memory. Nothing else is ever read: no
// external entity, DTD or network address. A document that declares entities
// is refused, which rules out entity-expansion bombs. Throws tmq::Error naming
// `name`, with the parser's reason, line and column. The caller owns the result.
_xmlDoc* parseDocumentSafely(std::string_view content, const std::string& name);

} // namespace tmq
