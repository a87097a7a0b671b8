// The import's join over fuzzed tables: the input holds the six tables one
// after another, each ended by a separator line, in the order SOLUC, GRUPOST,
// PROFT, AULAT, ASIGNOMT, DIASHORAST; a table the input lacks is absent.
// The timetable page must take every input the import takes and refuse the
// others with the import's own error.
#include "base/Error.h"
#include "fuzz/FuzzFolder.h"
#include "import/ImportCommand.h"
#include "page/TimetablePageCommand.h"
#include "support/CommandRun.h"
#include "xml/XmlDocument.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

constexpr std::string_view kSeparator = "\n--TABLA--\n";
constexpr std::array<const char*, 6> kTables = {"SOLUC.DBF", "GRUPOST.DBF",  "PROFT.DBF",
                                                "AULAT.DBF", "ASIGNOMT.DBF", "DIASHORAST.DBF"};
constexpr std::string_view kDocument = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                       "<SERVICIO><ENTRADAS/><SALIDAS/></SERVICIO>\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& folder = tmq::fuzz::fuzzFolder();
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (const char* table : kTables) {
        std::filesystem::remove(folder / table);
        if (rest.empty())
            continue;
        const std::size_t end = rest.find(kSeparator);
        std::ofstream out(folder / table, std::ios::binary | std::ios::trunc);
        const std::string_view part = rest.substr(0, end);
        out.write(part.data(), static_cast<std::streamsize>(part.size()));
        rest = end == std::string_view::npos ? std::string_view()
                                             : rest.substr(end + kSeparator.size());
    }
    {
        std::ofstream document(folder / "fuzz.xml", std::ios::binary | std::ios::trunc);
        document << kDocument;
    }
    const std::string result = (folder / "ResultadoMirtavfuzz.xml").string();
    std::filesystem::remove(result);
    std::string importError;
    try {
        tmq::ImportCommand command(folder);
        tmq::test::runInFrame(command, (folder / "fuzz.xml").string());
    } catch (const tmq::Error& error) {
        importError = error.what();
    }
    std::string pageError;
    const std::string page = (folder / "HorarioMirtavel.html").string();
    try {
        tmq::TimetablePageCommand command(folder, page);
        tmq::test::runInFrame(command);
    } catch (const tmq::Error& error) {
        pageError = error.what();
    }
    if (pageError != importError) {
        std::fprintf(stderr, "La importación dice «%s» y la página «%s»\n", importError.c_str(),
                     pageError.c_str());
        std::abort();
    }
    if (!importError.empty())
        return 0;
    // Whatever the tables held, the page holds no character HTML forbids.
    std::ifstream written(page, std::ios::binary);
    for (char c; written.get(c);) {
        if (static_cast<unsigned char>(c) < 0x20 && c != '\n' && c != '\t') {
            std::fprintf(stderr, "La página tiene el carácter de control %d\n", c);
            std::abort();
        }
    }
    // Whatever the tables held, the result must be a document Quelmar can read.
    try {
        tmq::XmlDocument::load(result);
    } catch (const tmq::Error& error) {
        std::fprintf(stderr, "El resultado no se puede leer: %s\n", error.what());
        std::abort();
    }
    return 0;
}
