// The least any SAX reading of a document can cost: libxml2 parses the whole
// file and hands every element and text to callbacks that do nothing.
#include <libxml/SAX2.h>
#include <libxml/parser.h>

#include <cstring>

namespace {

void onStart(void*, const xmlChar*, const xmlChar*, const xmlChar*, int, const xmlChar**, int, int,
             const xmlChar**)
{
}
void onEnd(void*, const xmlChar*, const xmlChar*, const xmlChar*) {}
void onCharacters(void*, const xmlChar*, int) {}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    handler.initialized = XML_SAX2_MAGIC;
    handler.startElementNs = onStart;
    handler.endElementNs = onEnd;
    handler.characters = onCharacters;
    return xmlSAXUserParseFile(&handler, nullptr, argv[1]) == 0 ? 0 : 1;
}
