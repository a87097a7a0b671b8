#pragma once

#include "core/Report.h"
#include "xml/XmlDocument.h"

#include <filesystem>

namespace tmq {

// Each step deletes its table and index file in the working folder, creates
// the table anew and writes one record per accepted item of its catalogue.

// MATERIAS into ASIGNOMT; a subject code seen before, in any letter case, is skipped.
void ExportarMaterias(const XmlDocument& doc, const std::filesystem::path& folder,
                      Report& report = silentReport());
// PROFESORES into PROFT.
void ExportarProfesores(const XmlDocument& doc, const std::filesystem::path& folder,
                        Report& report = silentReport());
// AULAS into AULAT; an empty abbreviation takes the room's DEPCENTRO value.
void ExportarAulas(const XmlDocument& doc, const std::filesystem::path& folder,
                   Report& report = silentReport());
// GRUPOS into GRUPOST; an empty level becomes "NIV".
void ExportarGrupos(const XmlDocument& doc, const std::filesystem::path& folder,
                    Report& report = silentReport());
// ASIGNATURAS into ASIGT, with HORAS and SESIONES computed from the minutes.
void ExportarAsignaturas(const XmlDocument& doc, const std::filesystem::path& folder,
                         Report& report = silentReport());
// TRAMOS into DIASHORAST, values picked by their "dato" names.
void ExportarTramos(const XmlDocument& doc, const std::filesystem::path& folder,
                    Report& report = silentReport());

} // namespace tmq
