#pragma once

#include "base/CommandLog.h"
#include "export/CatalogueReader.h"
#include "tables/RecordBuffer.h"

#include <exception>
#include <vector>

namespace tmq {

// What one step of the export builds while the document is read: the
// records of its table and, when an item cannot be converted, the error
// that ends the export once the records before that item are written.
struct StepRecords {
    explicit StepRecords(const std::vector<FieldDef>& layout, CommandLog& heardBy = silentLog())
        : records(layout), log(heardBy)
    {
    }
    RecordBuffer records;
    std::exception_ptr failure;
    // Hears of the items passed over and of the records written.
    CommandLog& log;
    // Items of the catalogue seen so far, for the log.
    std::size_t items = 0;
};

// Counts an item of a positional catalogue; true, and the log told, when
// it has fewer than kLeastValueCount values and so gives no record.
bool tooFewValues(StepRecords& step, std::string_view seq, const ItemValues& v);

// Each step names the catalogue it reads and formats one record into `step`
// for every accepted item, in document order.

// MATERIAS into ASIGNOMT; a subject code seen before, in any letter case, is skipped.
CatalogueReading ExportarMaterias(StepRecords& step);
// PROFESORES into PROFT.
CatalogueReading ExportarProfesores(StepRecords& step);
// AULAS into AULAT; an empty abbreviation takes the room's DEPCENTRO value.
CatalogueReading ExportarAulas(StepRecords& step);
// GRUPOS into GRUPOST; an empty level becomes "NIV".
CatalogueReading ExportarGrupos(StepRecords& step);
// ASIGNATURAS into ASIGT, with HORAS and SESIONES computed from the minutes.
CatalogueReading ExportarAsignaturas(StepRecords& step);
// TRAMOS into DIASHORAST, values picked by their "dato" names.
CatalogueReading ExportarTramos(StepRecords& step);

// Positional steps pass over items with fewer value elements than this.
inline constexpr std::size_t kLeastValueCount = 2;

} // namespace tmq
