#pragma once

#include "import/ImportTables.h"
#include "xml/XmlDocument.h"

namespace tmq {

// Appends to `section`, for every teacher of PROFT in record order, an
// employee list "EMPLEADO_n" and in it one activity list "ACTIVIDAD_m" per
// lesson of that teacher in SOLUC, joined with the subjects, time slots,
// rooms and groups of the other tables. The tables must be open.
void ImportarActividades(XmlDocument& doc, XmlElement section, ImportTables& tables);

} // namespace tmq
