#pragma once

#include <string>
#include <string_view>

struct _xmlDoc;

namespace tmq {

// Parses a whole document held in memory. Nothing else is ever read: no
// external entity, DTD or network address. A document that declares entities
// is refused, which rules out entity-expansion bombs. Throws tmq::Error naming
// `name`, with the parser's reason, line and column. The caller owns the result.
//
// When `hollowSection` is given, the root's first child element of that name
// (without prefix or namespace) is kept without its content: the content is
// still read and checked, but never becomes nodes.
_xmlDoc* parseDocumentSafely(std::string_view content, const std::string& name,
                             std::string_view hollowSection = {});

} // namespace tmq
