// Loads any bytes as an exchange document and exports it. Every failure must
// be a tmq::Error with Spanish text; anything else (a crash, a sanitizer
// report, another exception) is a finding.
#include "export/ExportCommand.h"
#include "fuzz/FuzzFolder.h"
#include "support/CommandRun.h"

#include "base/Error.h"
#include "tables/DbfHeader.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view content(reinterpret_cast<const char*>(data), size);
    const auto& folder = tmq::fuzz::fuzzFolder();
    // The document lies beside the working folder, which must hold only tables.
    const std::filesystem::path document = folder.string() + ".xml";
    {
        std::ofstream out(document, std::ios::binary | std::ios::trunc);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
    }
    try {
        tmq::ExportCommand command(folder);
        tmq::test::runInFrame(command, document.string());
    } catch (const tmq::Error&) {
    }
    std::filesystem::remove(document);
    // Done or not, no temporary table is left and every table is whole.
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        if (name.starts_with("~") || !tmq::dbfHeaderProblem(entry.path()).empty()) {
            std::fprintf(stderr, "Queda '%s' o no está entera\n", name.c_str());
            std::abort();
        }
    }
    return 0;
}
