#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tmq {

// The attributes of one start tag, as the parser hands them over.
class XmlAttributes {
public:
    XmlAttributes(const unsigned char** raw, int count) : raw_(raw), count_(count) {}

    // The value of the first attribute with this name, whatever its namespace
    // prefix (as XmlElement::attribute finds it); nothing when there is none.
    // Valid until the next call.
    std::optional<std::string_view> find(std::string_view localName) const;

private:
    const unsigned char** raw_; // five pointers per attribute
    int count_;
    mutable std::string decoded_;
};

// Receives a document's elements and text in document order while it is
// read. Text comes in pieces: the text of an element is every piece between
// its start and its end. Comments and processing instructions are not passed on.
class XmlStreamHandler {
public:
    virtual ~XmlStreamHandler() = default;
    // `plain`: the name has no prefix and the element no namespace, as a name
    // in an XPath step without prefix requires.
    virtual void startElement(std::string_view localName, bool plain,
                              const XmlAttributes& attributes) = 0;
    virtual void endElement() = 0;
    virtual void text(std::string_view utf8) = 0;
};

// Reads the whole file at `path` once, from start to end, handing its content
// to `handler`, with the protections and the messages of XmlDocument::load: a
// missing, unreadable or malformed file throws tmq::Error naming the file,
// with the parser's reason, line and column. An error the handler throws ends
// the reading and reaches the caller.
void streamDocument(const std::string& path, XmlStreamHandler& handler);

// The same over a document held in memory; `name` stands for the file in errors.
void streamDocument(std::string_view content, const std::string& name, XmlStreamHandler& handler);

} // namespace tmq
