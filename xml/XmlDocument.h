#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct _xmlNode;
struct _xmlDoc;

namespace tmq {

// A non-owning handle to an element of an XmlDocument; empty when a
// selection found nothing. All names and texts are UTF-8.
class XmlElement {
public:
    XmlElement() = default;
    explicit XmlElement(_xmlNode* node) : node_(node) {}

    bool isNull() const { return node_ == nullptr; }
    explicit operator bool() const { return node_ != nullptr; }
    _xmlNode* raw() const { return node_; }

    std::string name() const;
    // Text content of the element and its descendants.
    std::string text() const;
    // The attribute's value, or nothing when the element lacks it.
    std::optional<std::string> attribute(std::string_view name) const;
    void setAttribute(std::string_view name, std::string_view value);
    // Replaces the element's content by the text, taken literally ("&" and "<"
    // stay characters).
    void setText(std::string_view text);

    bool operator==(const XmlElement&) const = default;

private:
    _xmlNode* node_ = nullptr;
};

// Receives markup written into a document while it is saved: UTF-8 text,
// escaped by whoever writes it; the save puts it into the document's encoding.
class XmlMarkupSink {
public:
    virtual ~XmlMarkupSink() = default;
    virtual void write(std::string_view utf8Markup) = 0;
};

// Writes content into a document being saved.
using XmlContentWriter = std::function<void(XmlMarkupSink&)>;

// An XML document: load, XPath selection, the few changes the import makes,
// and save. Parsing is safe for hostile input: nothing is read from the
// network or from any file but the one loaded, and a document declaring
// entities is refused, so entity-expansion bombs cost no memory.
class XmlDocument {
public:
    // Loads the whole file. A missing, unreadable or malformed file throws
    // tmq::Error naming the file, with the parser's reason, line and column.
    static std::unique_ptr<XmlDocument> load(const std::string& path);
    // Loads the file, the root's first child element named `section` kept
    // without its content (which is still checked), for a caller that
    // replaces that section: its content would be built only to be freed.
    static std::unique_ptr<XmlDocument> loadWithoutSection(const std::string& path,
                                                           std::string_view section);
    // Parses a document held in memory; `name` stands for the file in errors.
    static std::unique_ptr<XmlDocument> parse(std::string_view content, const std::string& name);

    ~XmlDocument();
    XmlDocument(const XmlDocument&) = delete;
    XmlDocument& operator=(const XmlDocument&) = delete;

    // The root element, or an empty handle.
    XmlElement documentElement() const;

    // Elements matching an XPath 1.0 expression, in document order; empty
    // when nothing matches. The relative form starts at `context`.
    std::vector<XmlElement> selectNodes(std::string_view xpath) const;
    std::vector<XmlElement> selectNodes(XmlElement context, std::string_view xpath) const;
    // The first element matching, or an empty handle.
    XmlElement selectSingleNode(XmlElement context, std::string_view xpath) const;

    // Takes `child` with all its content out of the tree. Throws when
    // `child` is empty or not a child of `parent`.
    void removeChild(XmlElement parent, XmlElement child);
    // A new element, not yet in the tree.
    XmlElement createElement(std::string_view name);
    // Makes `child` the last child of `parent`.
    void appendChild(XmlElement parent, XmlElement child);

    // The encoding the document declared, empty when it declared none.
    std::string declaredEncoding() const;

    // Writes the whole document in the encoding it declared (UTF-8 when it
    // declared none). The file is written beside its final name and then
    // moved over it, so a failed save leaves an older file untouched.
    void save(const std::string& path) const;
    // The document as it would be saved.
    std::string serialize() const;

    // Saves as save() does, with the markup of `content` written after the
    // last child of `element`, as if it had been appended there: a large
    // section can go straight into the file without becoming nodes. An
    // error `content` throws ends the save; an older file is kept.
    void save(const std::string& path, XmlElement element, const XmlContentWriter& content) const;
    // The document as that save would write it.
    std::string serialize(XmlElement element, const XmlContentWriter& content) const;

private:
    explicit XmlDocument(_xmlDoc* doc);
    _xmlDoc* doc_;
    std::vector<_xmlNode*> detached_; // created elements not yet appended
};

} // namespace tmq
