// Loads any bytes as an exchange document and exports it. Every failure must
// be a tmq::Error with Spanish text; anything else (a crash, a sanitizer
// report, another exception) is a finding.
#include "export/ExportCommand.h"
#include "fuzz/FuzzFolder.h"
#include "xml/XmlDocument.h"

#include "core/Error.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    try {
        const auto doc = tmq::XmlDocument::parse(content, "fuzz.xml");
        tmq::exportDocument(*doc, tmq::fuzz::fuzzFolder());
    } catch (const tmq::Error&) {
    }
    return 0;
}
