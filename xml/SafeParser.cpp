#include "xml/SafeParser.h"

#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "xml/Cp1252Encoding.h"
#include "xml/XmlStream.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <exception>
#include <memory>
#include <mutex>
#include <optional>

namespace tmq {

namespace {

// A problem the parser reported, as the user will read it.
struct Problem {
    int line = 0;
    int column = 0;
    std::string reason;
};

std::string text(const char* value)
{
    return value != nullptr ? std::string(value) : std::string();
}

std::string libxmlMessage(const xmlError& error)
{
    std::string message = text(error.message);
    while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
        message.pop_back();
    return message;
}

std::string spanishReason(const xmlError& error)
{
    const std::string str1 = text(error.str1);
    const std::string str2 = text(error.str2);
    switch (error.code) {
    case XML_ERR_TAG_NAME_MISMATCH:
        return "la etiqueta de cierre </" + str2 + "> no corresponde a la de apertura <" + str1 +
               "> de la línea " + std::to_string(error.int1);
    case XML_ERR_TAG_NOT_FINISHED:
        return "el documento termina sin cerrar la etiqueta <" + str1 + "> de la línea " +
               std::to_string(error.int1);
    case XML_ERR_DOCUMENT_END:
        return "hay contenido después del final del documento";
    case XML_ERR_DOCUMENT_EMPTY:
        return "no hay ningún elemento (se esperaba una etiqueta de apertura)";
    case XML_ERR_GT_REQUIRED:
        return "falta el '>' que cierra la etiqueta <" + str1 + ">";
    case XML_ERR_LTSLASH_REQUIRED:
        return "falta la etiqueta de cierre";
    case XML_ERR_NAME_REQUIRED:
        return "falta un nombre (un '<' o '&' suelto se escribe '&lt;' o '&amp;')";
    case XML_ERR_ENTITYREF_SEMICOL_MISSING:
        return "falta el ';' de una referencia (un '&' suelto se escribe '&amp;')";
    case XML_ERR_UNDECLARED_ENTITY:
    case XML_WAR_UNDECLARED_ENTITY:
        return "la entidad '&" + str1 + ";' no está definida";
    case XML_ERR_ENTITY_LOOP:
        return "el documento define entidades que se expanden sin límite";
    case XML_ERR_LT_IN_ATTRIBUTE:
        return "hay un '<' dentro del valor de un atributo";
    case XML_ERR_ATTRIBUTE_NOT_STARTED:
    case XML_ERR_ATTRIBUTE_NOT_FINISHED:
    case XML_ERR_ATTRIBUTE_WITHOUT_VALUE:
        return "un atributo no tiene su valor entre comillas";
    case XML_ERR_ATTRIBUTE_REDEFINED:
        return "el atributo '" + str1 + "' está repetido";
    case XML_ERR_COMMENT_NOT_FINISHED:
        return "un comentario no está cerrado";
    case XML_ERR_CDATA_NOT_FINISHED:
        return "una sección CDATA no está cerrada";
    case XML_ERR_RESERVED_XML_NAME:
        return "la declaración <?xml ...?> no está al principio del archivo";
    case XML_ERR_INVALID_CHAR:
        // libxml2 also reports bytes that are not UTF-8 with this code.
        if (libxmlMessage(error).rfind("Input is not proper", 0) != 0)
            return "hay un carácter que no se admite en XML";
        [[fallthrough]];
    case XML_ERR_INVALID_ENCODING:
        return "el texto no está en la codificación que declara el documento";
    case XML_I18N_CONV_FAILED:
        return "el texto no está en la codificación que declara el documento";
    case XML_ERR_VERSION_MISSING:
    case XML_ERR_XMLDECL_NOT_STARTED:
        return "la declaración <?xml ...?> está mal escrita (se esperaba version=\"1.0\")";
    case XML_ERR_XMLDECL_NOT_FINISHED:
        return "la declaración <?xml ...?> no termina en '?>'";
    case XML_ERR_STRING_NOT_STARTED:
    case XML_ERR_STRING_NOT_CLOSED:
        return "un valor entre comillas no está abierto o cerrado";
    case XML_ERR_EQUAL_REQUIRED:
        return "falta el '=' entre un atributo y su valor";
    case XML_ERR_SPACE_REQUIRED:
        return "falta un espacio dentro de una etiqueta o declaración";
    case XML_ERR_HYPHEN_IN_COMMENT:
        return "un comentario contiene '--'";
    case XML_ERR_PI_NOT_STARTED:
    case XML_ERR_PI_NOT_FINISHED:
        return "una instrucción de proceso <?...?> está mal escrita";
    case XML_ERR_UNKNOWN_ENCODING:
    case XML_ERR_UNSUPPORTED_ENCODING:
        return "la codificación '" + str1 + "' no se admite";
    default:
        // libxml2's own words are English: quoted after a Spanish sentence,
        // since they still say what it found.
        return "el analizador de XML encontró un error (\"" + libxmlMessage(error) + "\")";
    }
}

// Everything the parser reports while reading one document.
class ParseReport {
public:
    void add(const xmlError& error)
    {
        if (error.level == XML_ERR_FATAL && !fatal_)
            fatal_ = Problem{error.line, error.int2, spanishReason(error)};
        else if (error.level == XML_ERR_ERROR && !other_)
            other_ = Problem{error.line, error.int2, spanishReason(error)};
    }
    void refuse(int line, int column, std::string reason)
    {
        if (!fatal_)
            fatal_ = Problem{line, column, std::move(reason)};
    }
    bool hasFatal() const { return fatal_.has_value(); }
    // The problem to show when the document could not be read.
    Problem failure() const
    {
        if (fatal_)
            return *fatal_;
        if (other_)
            return *other_;
        return Problem{0, 0, "el analizador no dio la razón"};
    }

private:
    std::optional<Problem> fatal_;
    std::optional<Problem> other_;
};

void collectError(void* report, xmlErrorPtr error)
{
    if (report != nullptr && error != nullptr)
        static_cast<ParseReport*>(report)->add(*error);
}

// Sends every report of libxml2 in this thread, whatever its source, to
// `report` for as long as the object lives; nothing reaches standard error.
class ErrorCapture {
public:
    explicit ErrorCapture(ParseReport& report)
        : previous_(xmlStructuredError), previousContext_(xmlStructuredErrorContext)
    {
        xmlSetStructuredErrorFunc(&report, collectError);
    }
    ~ErrorCapture() { xmlSetStructuredErrorFunc(previousContext_, previous_); }
    ErrorCapture(const ErrorCapture&) = delete;
    ErrorCapture& operator=(const ErrorCapture&) = delete;

private:
    xmlStructuredErrorFunc previous_;
    void* previousContext_;
};

// What one reading of a document keeps beside libxml2's parser context.
struct ParseState {
    ParseReport report;
    XmlStreamHandler* handler = nullptr; // none when a tree is built
    std::exception_ptr handlerFailure;
    // Building a tree without the content of one section of the root.
    std::string_view hollowSection;
    int depth = 0;         // open elements
    int hollowDepth = 0;   // depth of the section while inside it, else 0
    bool hollowed = false; // the section was met
};

ParseState& stateOf(void* context)
{
    return *static_cast<ParseState*>(static_cast<xmlParserCtxtPtr>(context)->_private);
}

void refuseEntities(xmlParserCtxtPtr context)
{
    stateOf(context).report.refuse(
        xmlSAX2GetLineNumber(context), xmlSAX2GetColumnNumber(context),
        "el documento declara entidades (<!ENTITY>), que no se admiten por seguridad");
    xmlStopParser(context);
}

void onEntityDecl(void* context, const xmlChar*, int, const xmlChar*, const xmlChar*, xmlChar*)
{
    refuseEntities(static_cast<xmlParserCtxtPtr>(context));
}

void onUnparsedEntityDecl(void* context, const xmlChar*, const xmlChar*, const xmlChar*,
                          const xmlChar*)
{
    refuseEntities(static_cast<xmlParserCtxtPtr>(context));
}

xmlParserInputPtr refuseExternalResource(const char*, const char*, xmlParserCtxtPtr)
{
    return nullptr;
}

// libxml2 is set up once per process: no external resource is ever loaded,
// whatever address a document names.
void setUpLibxml()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(refuseExternalResource);
        registerCp1252Encoding();
    });
}

struct ContextDeleter {
    void operator()(xmlParserCtxtPtr context) const { xmlFreeParserCtxt(context); }
};

std::string invalidDocument(const std::string& name, const Problem& problem)
{
    std::string message = "El archivo '" + name + "' no es un documento XML válido";
    if (problem.line > 0) {
        message += " (línea " + std::to_string(problem.line);
        if (problem.column > 0)
            message += ", columna " + std::to_string(problem.column);
        message += ")";
    }
    return message + ": " + problem.reason;
}

} // namespace

namespace {

// The tree builder's callbacks, passed over inside the hollow section.
bool insideHollow(void* context)
{
    const ParseState& state = stateOf(context);
    return state.hollowDepth != 0 && state.depth > state.hollowDepth;
}

void hollowStartElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                        const xmlChar* uri, int namespaceCount, const xmlChar** namespaces,
                        int attributeCount, int defaultedCount, const xmlChar** attributes)
{
    ParseState& state = stateOf(context);
    ++state.depth;
    if (insideHollow(context))
        return;
    if (state.depth == 2 && !state.hollowed && prefix == nullptr && uri == nullptr &&
        reinterpret_cast<const char*>(localName) == state.hollowSection) {
        state.hollowed = true;
        state.hollowDepth = 2;
    }
    xmlSAX2StartElementNs(context, localName, prefix, uri, namespaceCount, namespaces,
                          attributeCount, defaultedCount, attributes);
}

void hollowEndElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                      const xmlChar* uri)
{
    ParseState& state = stateOf(context);
    const bool inside = insideHollow(context);
    if (state.depth-- == state.hollowDepth)
        state.hollowDepth = 0;
    if (!inside)
        xmlSAX2EndElementNs(context, localName, prefix, uri);
}

void hollowCharacters(void* context, const xmlChar* text, int length)
{
    if (!insideHollow(context))
        xmlSAX2Characters(context, text, length);
}

void hollowCData(void* context, const xmlChar* text, int length)
{
    if (!insideHollow(context))
        xmlSAX2CDataBlock(context, text, length);
}

void hollowComment(void* context, const xmlChar* text)
{
    if (!insideHollow(context))
        xmlSAX2Comment(context, text);
}

void hollowInstruction(void* context, const xmlChar* target, const xmlChar* data)
{
    if (!insideHollow(context))
        xmlSAX2ProcessingInstruction(context, target, data);
}

void hollowReference(void* context, const xmlChar* name)
{
    if (!insideHollow(context))
        xmlSAX2Reference(context, name);
}

} // namespace

_xmlDoc* parseDocumentSafely(std::string_view content, const std::string& name,
                             std::string_view hollowSection)
{
    setUpLibxml();
    if (content.empty())
        throw Error(invalidDocument(name, {0, 0, "el archivo está vacío"}));
    if (content.size() > static_cast<std::size_t>(INT_MAX))
        throw Error("El archivo '" + name + "' es demasiado grande para leerlo");

    ParseState state;
    ParseReport& report = state.report;
    ErrorCapture capture(report);
    std::unique_ptr<xmlParserCtxt, ContextDeleter> context(xmlNewParserCtxt());
    if (!context)
        throw Error("No hay memoria suficiente para leer el archivo '" + name + "'");
    context->_private = &state;
    context->sax->entityDecl = onEntityDecl;
    context->sax->unparsedEntityDecl = onUnparsedEntityDecl;
    if (!hollowSection.empty()) {
        state.hollowSection = hollowSection;
        xmlSAXHandler& sax = *context->sax;
        sax.startElementNs = hollowStartElement;
        sax.endElementNs = hollowEndElement;
        sax.characters = hollowCharacters;
        sax.ignorableWhitespace = hollowCharacters;
        sax.cdataBlock = hollowCData;
        sax.comment = hollowComment;
        sax.processingInstruction = hollowInstruction;
        sax.reference = hollowReference;
    }

    const int size = static_cast<int>(content.size());
    xmlDocPtr doc = xmlCtxtReadMemory(context.get(), content.data(), size, name.c_str(), nullptr,
                                      XML_PARSE_NONET);
    if (doc == nullptr || report.hasFatal()) {
        xmlFreeDoc(doc);
        throw Error(invalidDocument(name, report.failure()));
    }
    if (xmlDocGetRootElement(doc) == nullptr) {
        xmlFreeDoc(doc);
        throw Error(invalidDocument(name, {0, 0, "no tiene elemento raíz"}));
    }
    return doc;
}

namespace {

// The handler's calls, made from libxml2's C code, which an exception must
// not cross: a failure stops the parser and is thrown again afterwards.
template <typename Call> void toHandler(void* context, Call call)
{
    ParseState& state = stateOf(context);
    if (state.handlerFailure)
        return;
    try {
        call(*state.handler);
    } catch (...) {
        state.handlerFailure = std::current_exception();
        xmlStopParser(static_cast<xmlParserCtxtPtr>(context));
    }
}

void onStartElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                    const xmlChar* uri, int, const xmlChar**, int attributeCount, int,
                    const xmlChar** attributes)
{
    toHandler(context, [&](XmlStreamHandler& handler) {
        handler.startElement(reinterpret_cast<const char*>(localName),
                             prefix == nullptr && uri == nullptr,
                             XmlAttributes(attributes, attributeCount));
    });
}

void onEndElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*)
{
    toHandler(context, [](XmlStreamHandler& handler) { handler.endElement(); });
}

void onText(void* context, const xmlChar* text, int length)
{
    toHandler(context, [&](XmlStreamHandler& handler) {
        handler.text(std::string_view(reinterpret_cast<const char*>(text),
                                      static_cast<std::size_t>(length)));
    });
}

// Parses with `read` through a context whose callbacks go to `handler`; no
// tree is built. `read` runs one of libxml2's xmlCtxtRead functions.
template <typename Read>
void streamWith(XmlStreamHandler& handler, const std::string& name, Read read)
{
    setUpLibxml();
    ParseState state;
    state.handler = &handler;
    ErrorCapture capture(state.report);
    std::unique_ptr<xmlParserCtxt, ContextDeleter> context(xmlNewParserCtxt());
    if (!context)
        throw Error("No hay memoria suficiente para leer el archivo '" + name + "'");
    context->_private = &state;
    xmlSAXHandler& sax = *context->sax;
    sax.entityDecl = onEntityDecl;
    sax.unparsedEntityDecl = onUnparsedEntityDecl;
    sax.startElementNs = onStartElement;
    sax.endElementNs = onEndElement;
    sax.characters = onText;
    sax.ignorableWhitespace = onText;
    sax.cdataBlock = onText;
    // Nothing of the content is kept: libxml2's own callbacks would hang
    // these on the document node, whatever their depth.
    sax.reference = nullptr;
    sax.comment = nullptr;
    sax.processingInstruction = nullptr;

    xmlDocPtr doc = read(context.get());
    xmlFreeDoc(doc);
    if (state.handlerFailure)
        std::rethrow_exception(state.handlerFailure);
    if (doc == nullptr || state.report.hasFatal())
        throw Error(invalidDocument(name, state.report.failure()));
}

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// libxml2 reads the file through this, so that the file is opened as the
// platform opens files and a failing read keeps its reason.
struct FileSource {
    std::FILE* file;
    int readError = 0;

    static int read(void* source, char* buffer, int length)
    {
        auto* self = static_cast<FileSource*>(source);
        const std::size_t count =
            std::fread(buffer, 1, static_cast<std::size_t>(length), self->file);
        if (count == 0 && std::ferror(self->file)) {
            self->readError = errno != 0 ? errno : EIO;
            return -1;
        }
        return static_cast<int>(count);
    }
};

} // namespace

std::optional<std::string_view> XmlAttributes::find(std::string_view localName) const
{
    for (int i = 0; i < count_; ++i) {
        const unsigned char* const* attribute = raw_ + 5 * i;
        if (reinterpret_cast<const char*>(attribute[0]) != localName)
            continue;
        const std::string_view value(reinterpret_cast<const char*>(attribute[3]),
                                     static_cast<std::size_t>(attribute[4] - attribute[3]));
        // Without entity substitution the parser hands a "&" of the value
        // over as "&#38;", for the tree builder to decode.
        if (value.find('&') == std::string_view::npos)
            return value;
        decoded_.clear();
        for (std::size_t at = 0; at < value.size(); ++at) {
            decoded_ += value[at];
            if (value.compare(at, 5, "&#38;") == 0)
                at += 4;
        }
        return std::string_view(decoded_);
    }
    return std::nullopt;
}

void streamDocument(std::string_view content, const std::string& name, XmlStreamHandler& handler)
{
    if (content.empty())
        throw Error(invalidDocument(name, {0, 0, "el archivo está vacío"}));
    if (content.size() > static_cast<std::size_t>(INT_MAX))
        throw Error("El archivo '" + name + "' es demasiado grande para leerlo");
    streamWith(handler, name, [&](xmlParserCtxtPtr context) {
        return xmlCtxtReadMemory(context, content.data(), static_cast<int>(content.size()),
                                 name.c_str(), nullptr, XML_PARSE_NONET);
    });
}

void streamDocument(const std::string& path, XmlStreamHandler& handler)
{
    const std::unique_ptr<std::FILE, FileCloser> file(openFile(pathFromUtf8(path), "rb"));
    if (!file)
        throw Error("No se puede abrir el archivo '" + path + "': " + systemReason(errno));
    const auto cannotRead = [&](int reason) {
        return Error("No se puede leer el archivo '" + path + "': " + systemReason(reason));
    };
    const int first = std::getc(file.get());
    if (first == EOF) {
        if (std::ferror(file.get()))
            throw cannotRead(errno);
        throw Error(invalidDocument(path, {0, 0, "el archivo está vacío"}));
    }
    std::ungetc(first, file.get());

    FileSource source{file.get()};
    try {
        streamWith(handler, path, [&](xmlParserCtxtPtr context) {
            return xmlCtxtReadIO(context, &FileSource::read, nullptr, &source, path.c_str(),
                                 nullptr, XML_PARSE_NONET);
        });
    } catch (const Error&) {
        if (source.readError != 0)
            throw cannotRead(source.readError);
        throw;
    }
}

} // namespace tmq
