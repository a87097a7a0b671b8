#pragma once

#include "tables/DbfTable.h"

#include <filesystem>

namespace tmq {

// The six tables the import reads, each under its component's name, opened
// for exclusive use in a fixed order and closed in the same order, also when
// the import ends by an error.
struct ImportTables {
    DbfTable soluc{"wwTableSoluc"};
    DbfTable grupos{"wwTableGrupos"};
    DbfTable profesor{"wwTableProfesor"};
    DbfTable aulas{"wwTableAulas"};
    DbfTable nomAsg{"wwTableNomAsg"};
    DbfTable tramos{"wwTableTramos"};

    ImportTables() = default;
    ~ImportTables() { close(); }
    ImportTables(const ImportTables&) = delete;
    ImportTables& operator=(const ImportTables&) = delete;

    void open(const std::filesystem::path& folder);
    void close() noexcept;
};

} // namespace tmq
