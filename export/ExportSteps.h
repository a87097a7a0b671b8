#pragma once

#include "xml/XmlDocument.h"

#include <filesystem>

namespace tmq {

// Each step deletes its table and index file in the working folder, creates
// the table anew and writes one record per accepted item of its catalogue.

// MATERIAS into ASIGNOMT; a subject code seen before, in any letter case, is skipped.
void ExportarMaterias(const XmlDocument& doc, const std::filesystem::path& folder);
// PROFESORES into PROFT.
void ExportarProfesores(const XmlDocument& doc, const std::filesystem::path& folder);
// AULAS into AULAT; an empty abbreviation takes the room's DEPCENTRO value.
void ExportarAulas(const XmlDocument& doc, const std::filesystem::path& folder);
// GRUPOS into GRUPOST; an empty level becomes "NIV".
void ExportarGrupos(const XmlDocument& doc, const std::filesystem::path& folder);
// ASIGNATURAS into ASIGT, with HORAS and SESIONES computed from the minutes.
void ExportarAsignaturas(const XmlDocument& doc, const std::filesystem::path& folder);
// TRAMOS into DIASHORAST, values picked by their "dato" names.
void ExportarTramos(const XmlDocument& doc, const std::filesystem::path& folder);

} // namespace tmq
