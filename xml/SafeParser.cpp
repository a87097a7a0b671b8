#include "xml/SafeParser.h"

#include "core/Error.h"
#include "xml/Cp1252Encoding.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>

#include <climits>
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

void refuseEntities(xmlParserCtxtPtr context)
{
    static_cast<ParseReport*>(context->_private)
        ->refuse(xmlSAX2GetLineNumber(context), xmlSAX2GetColumnNumber(context),
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

_xmlDoc* parseDocumentSafely(std::string_view content, const std::string& name)
{
    setUpLibxml();
    if (content.empty())
        throw Error(invalidDocument(name, {0, 0, "el archivo está vacío"}));
    if (content.size() > static_cast<std::size_t>(INT_MAX))
        throw Error("El archivo '" + name + "' es demasiado grande para leerlo");

    ParseReport report;
    ErrorCapture capture(report);
    std::unique_ptr<xmlParserCtxt, ContextDeleter> context(xmlNewParserCtxt());
    if (!context)
        throw Error("No hay memoria suficiente para leer el archivo '" + name + "'");
    context->_private = &report;
    context->sax->entityDecl = onEntityDecl;
    context->sax->unparsedEntityDecl = onUnparsedEntityDecl;

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

} // namespace tmq
