// Reads any bytes as the timetable table SOLUC, the way the import does:
// opened for exclusive use, grouped by teacher, every lesson's fields read.
#include "base/Error.h"
#include "fuzz/FuzzFolder.h"
#include "tables/DbfTable.h"
#include "timetable/RowIndex.h"

#include <cstddef>
#include <cstdint>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto& folder = tmq::fuzz::fuzzFolder();
    {
        std::ofstream out(folder / "SOLUC.DBF", std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    try {
        tmq::DbfTable soluc("wwTableSoluc");
        soluc.open(folder, "SOLUC", tmq::Access::Exclusive);
        for (soluc.first(); !soluc.eof(); soluc.next())
            for (int i = 0; i < soluc.fieldCount(); ++i)
                (void)soluc.asText(soluc.fieldName(i));
        tmq::RowGroups lessons(soluc, "PROF");
        for (int row : lessons.rowsFor("P1")) {
            soluc.moveTo(row);
            if (soluc.asInteger("DIA") == 0)
                continue;
            (void)soluc.asText("ASIG");
            (void)soluc.asInteger("HORA");
            (void)soluc.asText("AULA");
            (void)soluc.asText("CODGRUPO");
        }
        soluc.close();
    } catch (const tmq::Error&) {
    }
    return 0;
}
