#include "timetable/ImportTables.h"

namespace tmq {

void ImportTables::open(const std::filesystem::path& folder)
{
    soluc.open(folder, "SOLUC", Access::Exclusive);
    grupos.open(folder, "GRUPOST", Access::Exclusive);
    profesor.open(folder, "PROFT", Access::Exclusive);
    aulas.open(folder, "AULAT", Access::Exclusive);
    nomAsg.open(folder, "ASIGNOMT", Access::Exclusive);
    tramos.open(folder, "DIASHORAST", Access::Exclusive);
    // Each table is read once from start to end; SOLUC is then visited
    // teacher by teacher, which would read it again for every teacher.
    for (DbfTable* table : {&soluc, &grupos, &profesor, &aulas, &nomAsg, &tramos})
        table->keepInMemory();
}

void ImportTables::close() noexcept
{
    for (DbfTable* table : {&soluc, &grupos, &profesor, &aulas, &nomAsg, &tramos}) {
        try {
            table->close();
        } catch (...) {
            // The tables are only read: nothing is lost when closing one fails.
        }
    }
}

} // namespace tmq
