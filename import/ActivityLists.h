#pragma once

#include "core/Report.h"
#include "import/ImportTables.h"
#include "xml/XmlDocument.h"

namespace tmq {

// Appends to `section`, for every teacher of PROFT in record order, an
// employee list "EMPLEADO_n" and in it one activity list "ACTIVIDAD_m" per
// lesson of that teacher in SOLUC, joined with the subjects, time slots,
// rooms and groups of the other tables. The tables must be open. The report
// hears of every teacher and activity written, of the lessons passed over and
// of the codes that found no partner in their table.
void ImportarActividades(XmlDocument& doc, XmlElement section, ImportTables& tables,
                         Report& report = silentReport());

} // namespace tmq
