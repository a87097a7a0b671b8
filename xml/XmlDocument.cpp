#include "xml/XmlDocument.h"

#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "xml/AtomicFile.h"
#include "xml/SafeParser.h"

#include <libxml/globals.h>
#include <libxml/tree.h>
#include <libxml/xmlIO.h>
#include <libxml/xpath.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <exception>
#include <filesystem>

namespace tmq {

namespace {

const xmlChar* xml(std::string_view text, std::string& storage)
{
    storage.assign(text);
    return reinterpret_cast<const xmlChar*>(storage.c_str());
}

std::string takeString(xmlChar* value)
{
    std::string result = value != nullptr ? reinterpret_cast<const char*>(value) : "";
    xmlFree(value);
    return result;
}

std::string qualifiedName(const xmlNode* node)
{
    std::string name = reinterpret_cast<const char*>(node->name);
    if (node->ns != nullptr && node->ns->prefix != nullptr)
        name = reinterpret_cast<const char*>(node->ns->prefix) + (":" + name);
    return name;
}

std::string readWholeFile(const std::string& path)
{
    std::FILE* file = openFile(pathFromUtf8(path), "rb");
    if (file == nullptr) {
        const int reason = errno;
        // Windows refuses to open a folder at all; name that plainly.
        std::error_code ignored;
        if (std::filesystem::is_directory(pathFromUtf8(path), ignored))
            throw Error("No se puede leer el archivo '" + path + "': " + systemReason(EISDIR));
        throw Error("No se puede abrir el archivo '" + path + "': " + systemReason(reason));
    }
    std::string content;
    char buffer[65536];
    std::size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        content.append(buffer, count);
    const bool failed = std::ferror(file) != 0;
    const int reason = errno;
    std::fclose(file);
    if (failed)
        throw Error("No se puede leer el archivo '" + path + "': " + systemReason(reason));
    return content;
}

void ignoreXPathError(void*, xmlErrorPtr) {}

} // namespace

std::string XmlElement::name() const
{
    return node_ != nullptr ? qualifiedName(node_) : std::string();
}

std::string XmlElement::text() const
{
    return node_ != nullptr ? takeString(xmlNodeGetContent(node_)) : std::string();
}

std::optional<std::string> XmlElement::attribute(std::string_view name) const
{
    if (node_ == nullptr)
        return std::nullopt;
    std::string key;
    xmlChar* value = xmlGetProp(node_, xml(name, key));
    if (value == nullptr)
        return std::nullopt;
    return takeString(value);
}

void XmlElement::setAttribute(std::string_view name, std::string_view value)
{
    std::string key;
    std::string content;
    if (node_ == nullptr || xmlSetProp(node_, xml(name, key), xml(value, content)) == nullptr)
        throw Error("No se puede poner el atributo '" + std::string(name) + "' a un elemento");
}

void XmlElement::setText(std::string_view text)
{
    if (node_ == nullptr)
        throw Error("No se puede poner texto a un elemento que no existe");
    // Taken literally: "&" or "<" in `text` stay characters, not markup.
    xmlNodeSetContent(node_, nullptr);
    if (!text.empty()) {
        std::string content;
        xmlNodeAddContentLen(node_, xml(text, content), static_cast<int>(text.size()));
    }
}

XmlDocument::XmlDocument(xmlDocPtr doc) : doc_(doc) {}

XmlDocument::~XmlDocument()
{
    // A created element appended to another created one goes with it.
    std::vector<xmlNodePtr> roots;
    std::copy_if(detached_.begin(), detached_.end(), std::back_inserter(roots),
                 [](xmlNodePtr node) { return node->parent == nullptr; });
    for (xmlNodePtr node : roots)
        xmlFreeNode(node);
    xmlFreeDoc(doc_);
}

std::unique_ptr<XmlDocument> XmlDocument::load(const std::string& path)
{
    return parse(readWholeFile(path), path);
}

std::unique_ptr<XmlDocument> XmlDocument::loadWithoutSection(const std::string& path,
                                                             std::string_view section)
{
    return std::unique_ptr<XmlDocument>(
        new XmlDocument(parseDocumentSafely(readWholeFile(path), path, section)));
}

std::unique_ptr<XmlDocument> XmlDocument::parse(std::string_view content, const std::string& name)
{
    return std::unique_ptr<XmlDocument>(new XmlDocument(parseDocumentSafely(content, name)));
}

XmlElement XmlDocument::documentElement() const
{
    return XmlElement(xmlDocGetRootElement(doc_));
}

std::vector<XmlElement> XmlDocument::selectNodes(std::string_view xpath) const
{
    return selectNodes(XmlElement(), xpath);
}

std::vector<XmlElement> XmlDocument::selectNodes(XmlElement context, std::string_view xpath) const
{
    std::unique_ptr<xmlXPathContext, decltype(&xmlXPathFreeContext)> xpathContext(
        xmlXPathNewContext(doc_), xmlXPathFreeContext);
    if (!xpathContext)
        throw Error("No hay memoria suficiente para buscar en el documento");
    xpathContext->error = ignoreXPathError;
    xpathContext->node = context ? context.raw() : reinterpret_cast<xmlNodePtr>(doc_);

    std::string expression;
    std::unique_ptr<xmlXPathObject, decltype(&xmlXPathFreeObject)> found(
        xmlXPathEvalExpression(xml(xpath, expression), xpathContext.get()), xmlXPathFreeObject);
    if (!found)
        throw Error("La búsqueda «" + expression + "» no es una expresión XPath válida");

    std::vector<XmlElement> elements;
    if (found->type == XPATH_NODESET && found->nodesetval != nullptr) {
        const xmlNodeSet& nodes = *found->nodesetval;
        elements.reserve(static_cast<std::size_t>(nodes.nodeNr));
        for (int i = 0; i < nodes.nodeNr; ++i) {
            if (nodes.nodeTab[i]->type == XML_ELEMENT_NODE)
                elements.emplace_back(nodes.nodeTab[i]);
        }
    }
    return elements;
}

XmlElement XmlDocument::selectSingleNode(XmlElement context, std::string_view xpath) const
{
    const std::vector<XmlElement> found = selectNodes(context, xpath);
    return found.empty() ? XmlElement() : found.front();
}

void XmlDocument::removeChild(XmlElement parent, XmlElement child)
{
    const std::string file = doc_->URL != nullptr ? reinterpret_cast<const char*>(doc_->URL) : "";
    if (!child)
        throw Error("No se puede quitar un elemento del documento '" + file +
                    "': no se encontró el elemento");
    if (!parent || child.raw()->parent != parent.raw())
        throw Error("No se puede quitar el elemento <" + child.name() + "> del documento '" + file +
                    "': no es hijo de <" + parent.name() + ">");
    xmlUnlinkNode(child.raw());
    xmlFreeNode(child.raw());
}

XmlElement XmlDocument::createElement(std::string_view name)
{
    std::string tag;
    xmlNodePtr node = xmlNewDocNode(doc_, nullptr, xml(name, tag), nullptr);
    if (node == nullptr)
        throw Error("No se puede crear el elemento <" + tag + ">");
    detached_.push_back(node);
    return XmlElement(node);
}

void XmlDocument::appendChild(XmlElement parent, XmlElement child)
{
    if (!parent || !child)
        throw Error("No se puede añadir un elemento que no existe");
    for (xmlNodePtr ancestor = parent.raw(); ancestor != nullptr; ancestor = ancestor->parent) {
        if (ancestor == child.raw())
            throw Error("No se puede poner el elemento <" + child.name() + "> dentro de sí mismo");
    }
    xmlUnlinkNode(child.raw());
    xmlAddChild(parent.raw(), child.raw());
    detached_.erase(std::remove(detached_.begin(), detached_.end(), child.raw()), detached_.end());
}

std::string XmlDocument::declaredEncoding() const
{
    return doc_->encoding != nullptr ? reinterpret_cast<const char*>(doc_->encoding) : "";
}

std::string XmlDocument::serialize() const
{
    std::string encoding = declaredEncoding();
    if (encoding.empty())
        encoding = "UTF-8";
    xmlChar* buffer = nullptr;
    int size = 0;
    // Unformatted: the document is written as it was read. Formatting would
    // not indent elements added among indented ones, and would reindent a
    // document read without whitespace between its elements.
    xmlDocDumpFormatMemoryEnc(doc_, &buffer, &size, encoding.c_str(), 0);
    if (buffer == nullptr)
        throw Error("No se puede escribir el documento en la codificación '" + encoding + "'");
    std::string result(reinterpret_cast<const char*>(buffer), static_cast<std::size_t>(size));
    xmlFree(buffer);
    return result;
}

void XmlDocument::save(const std::string& path) const
{
    writeFileAtomically(path, serialize());
}

namespace {

// Where the bytes of a save go: a file or a string.
using ByteSink = std::function<void(std::string_view)>;

// Writes a document as xmlDocDumpFormatMemoryEnc writes it unformatted, in
// pieces: the elements on the way from the root to one element are opened
// and closed here, everything else is written by libxml2, and content from
// outside is put after that element's children. All of it passes through one
// libxml2 output buffer, which turns UTF-8 into the document's encoding and
// writes characters that encoding lacks as character references.
class PiecewiseSave : public XmlMarkupSink {
public:
    PiecewiseSave(xmlDocPtr doc, const std::string& encoding, ByteSink sink)
        : doc_(doc), encoding_(encoding), sink_(std::move(sink)), oldEncoding_(doc->encoding)
    {
        xmlCharEncodingHandlerPtr handler = xmlFindCharEncodingHandler(encoding.c_str());
        if (handler == nullptr)
            throw Error("No se puede escribir el documento en la codificación '" + encoding + "'");
        // UTF-8 is written as it stands; its converter would only copy it.
        utf8_ = std::string_view(handler->name) == "UTF-8";
        if (utf8_)
            handler = nullptr;
        out_ = xmlOutputBufferCreateIO(&PiecewiseSave::toSink, nullptr, this, handler);
        if (out_ == nullptr)
            throw Error("No hay memoria suficiente para escribir el documento");
        // libxml2 does the same while it saves: attribute values are then
        // written as characters, not as references.
        doc_->encoding = reinterpret_cast<const xmlChar*>(encoding_.c_str());
    }
    ~PiecewiseSave() override
    {
        doc_->encoding = oldEncoding_;
        if (out_ != nullptr)
            xmlOutputBufferClose(out_);
    }
    PiecewiseSave(const PiecewiseSave&) = delete;
    PiecewiseSave& operator=(const PiecewiseSave&) = delete;

    void write(std::string_view utf8Markup) override
    {
        if (utf8_ && utf8Markup.size() >= kDirectWrite) {
            // Already the bytes of the file: what libxml2 holds goes first.
            xmlOutputBufferFlush(out_);
            check();
            sink_(utf8Markup);
            return;
        }
        xmlOutputBufferWrite(out_, static_cast<int>(utf8Markup.size()), utf8Markup.data());
        check();
    }

    void writeDocument(xmlNodePtr target, const XmlContentWriter& content)
    {
        writeDeclaration();
        for (xmlNodePtr child = doc_->children; child != nullptr; child = child->next) {
            writeNode(child, target, content);
            if (child->type != XML_XINCLUDE_START && child->type != XML_XINCLUDE_END)
                write("\n");
        }
        const int result = xmlOutputBufferClose(out_);
        out_ = nullptr;
        check();
        if (result < 0)
            throw Error("No se puede escribir el documento en la codificación '" + encoding_ + "'");
    }

private:
    static int toSink(void* context, const char* bytes, int length)
    {
        auto* self = static_cast<PiecewiseSave*>(context);
        try {
            self->sink_(std::string_view(bytes, static_cast<std::size_t>(length)));
            return length;
        } catch (...) {
            self->failure_ = std::current_exception();
            return -1;
        }
    }

    void check() const
    {
        if (failure_)
            std::rethrow_exception(failure_);
    }

    void writeDeclaration()
    {
        std::string declaration = "<?xml version=";
        const char* version =
            doc_->version != nullptr ? reinterpret_cast<const char*>(doc_->version) : "1.0";
        declaration += quoted(version) + " encoding=" + quoted(encoding_);
        if (doc_->standalone == 0)
            declaration += " standalone=\"no\"";
        else if (doc_->standalone == 1)
            declaration += " standalone=\"yes\"";
        write(declaration + "?>\n");
    }

    // libxml2 quotes with " unless the text holds one.
    static std::string quoted(const std::string& text)
    {
        const char quote = text.find('"') == std::string::npos ? '"' : '\'';
        return quote + text + quote;
    }

    static bool leadsTo(xmlNodePtr node, xmlNodePtr target)
    {
        for (xmlNodePtr at = target; at != nullptr; at = at->parent)
            if (at == node)
                return true;
        return false;
    }

    void writeNode(xmlNodePtr node, xmlNodePtr target, const XmlContentWriter& content)
    {
        if (!leadsTo(node, target)) {
            xmlNodeDumpOutput(out_, doc_, node, 0, 0, encoding_.c_str());
            check();
            return;
        }
        const std::string element = libxmlStartAndEnd(node);
        const std::string end = "</" + qualifiedName(node) + ">";
        write(std::string_view(element).substr(0, element.size() - end.size()));
        for (xmlNodePtr child = node->children; child != nullptr; child = child->next)
            writeNode(child, target, content);
        if (node == target)
            content(*this);
        write(end);
    }

    // The element without its children as libxml2 writes it, as
    // <name attributes></name>, in UTF-8.
    std::string libxmlStartAndEnd(xmlNodePtr node)
    {
        xmlOutputBufferPtr buffer = xmlAllocOutputBuffer(nullptr);
        if (buffer == nullptr)
            throw Error("No hay memoria suficiente para escribir el documento");
        const xmlNodePtr children = node->children;
        const xmlNodePtr last = node->last;
        const int noEmptyTags = xmlSaveNoEmptyTags;
        node->children = nullptr;
        node->last = nullptr;
        xmlSaveNoEmptyTags = 1;
        xmlNodeDumpOutput(buffer, doc_, node, 0, 0, encoding_.c_str());
        xmlSaveNoEmptyTags = noEmptyTags;
        node->children = children;
        node->last = last;
        std::string markup(reinterpret_cast<const char*>(xmlOutputBufferGetContent(buffer)),
                           xmlOutputBufferGetSize(buffer));
        xmlOutputBufferClose(buffer);
        return markup;
    }

    static constexpr std::size_t kDirectWrite = 4096;

    xmlDocPtr doc_;
    std::string encoding_;
    bool utf8_ = false;
    ByteSink sink_;
    const xmlChar* oldEncoding_;
    xmlOutputBufferPtr out_ = nullptr;
    std::exception_ptr failure_;
};

} // namespace

std::string XmlDocument::serialize(XmlElement element, const XmlContentWriter& content) const
{
    std::string result;
    std::string encoding = declaredEncoding();
    PiecewiseSave save(doc_, encoding.empty() ? "UTF-8" : encoding,
                       [&result](std::string_view bytes) { result += bytes; });
    save.writeDocument(element.raw(), content);
    return result;
}

void XmlDocument::save(const std::string& path, XmlElement element,
                       const XmlContentWriter& content) const
{
    AtomicFileWriter file(path);
    std::string encoding = declaredEncoding();
    PiecewiseSave save(doc_, encoding.empty() ? "UTF-8" : encoding,
                       [&file](std::string_view bytes) { file.write(bytes); });
    save.writeDocument(element.raw(), content);
    file.commit();
}

} // namespace tmq
