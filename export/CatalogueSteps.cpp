#include "base/CaseFold.h"
#include "base/Cp1252.h"
#include "export/ExportSteps.h"

#include <memory>
#include <unordered_set>

namespace tmq {

namespace {

CatalogueReading positional(std::string seq, std::size_t positions)
{
    CatalogueReading reading;
    reading.seq = std::move(seq);
    reading.positions = positions;
    return reading;
}

} // namespace

CatalogueReading ExportarMaterias(StepRecords& step)
{
    RecordBuffer& r = step.records;
    CatalogueReading reading = positional("MATERIAS", 4);
    // Codes already written, folded to small letters; the full code counts,
    // not what is left of it after the cut to the width of COD.
    auto writtenCodes = std::make_shared<std::unordered_set<std::string>>();
    reading.onItem = [&step, &r, writtenCodes, cod = r.field("COD"), codLargo = r.field("CODLARGO"),
                      nombre = r.field("NOMBRE"),
                      materia = r.field("MATERIA")](const ItemValues& v) {
        if (tooFewValues(step, "MATERIAS", v))
            return;
        if (!writtenCodes->insert(foldCaseCp1252(v.at(1))).second) {
            if (step.log.wanted())
                step.log.line("MATERIAS: código '" + cp1252ToUtf8(v.at(1)) + "' (" +
                              cp1252ToUtf8(v.at(3)) +
                              ") repetido: pasado por alto, vale el primero");
            return;
        }
        r.append();
        r.setText(cod, v.at(1));
        r.setText(codLargo, v.at(2));
        r.setText(nombre, v.at(3));
        r.setText(materia, v.at(0));
    };
    return reading;
}

CatalogueReading ExportarProfesores(StepRecords& step)
{
    RecordBuffer& r = step.records;
    CatalogueReading reading = positional("PROFESORES", 4);
    reading.onItem = [&step, &r, abrev = r.field("ABREV"), nombre = r.field("NOMBRE"),
                      empleado = r.field("X_EMPLEADO"),
                      tomaPos = r.field("F_TOMAPOS")](const ItemValues& v) {
        if (tooFewValues(step, "PROFESORES", v))
            return;
        r.append();
        r.setText(abrev, v.at(3));
        r.setText(nombre, v.at(2));
        r.setText(empleado, v.at(0));
        r.setText(tomaPos, v.at(1));
    };
    return reading;
}

CatalogueReading ExportarAulas(StepRecords& step)
{
    RecordBuffer& r = step.records;
    CatalogueReading reading = positional("AULAS", 4);
    reading.onItem = [&step, &r, abrev = r.field("ABREV"), nombre = r.field("NOMBRE"),
                      edificio = r.field("EDIFICIO"),
                      depCentro = r.field("DEPCENTRO")](const ItemValues& v) {
        if (tooFewValues(step, "AULAS", v))
            return;
        r.append();
        r.setText(abrev, v.at(1).empty() ? v.at(0) : v.at(1));
        r.setText(nombre, v.at(2));
        r.setText(edificio, v.at(3));
        r.setText(depCentro, v.at(0));
    };
    return reading;
}

CatalogueReading ExportarGrupos(StepRecords& step)
{
    RecordBuffer& r = step.records;
    CatalogueReading reading = positional("GRUPOS", 6);
    reading.onItem = [&step, &r, abrev = r.field("ABREV"), turno = r.field("TURNO"),
                      nivel = r.field("NIVEL"), curso = r.field("CURSO"), grupo = r.field("GRUPO"),
                      unidad = r.field("UNIDAD")](const ItemValues& v) {
        if (tooFewValues(step, "GRUPOS", v))
            return;
        r.append();
        r.setText(abrev, v.at(1));
        r.setText(turno, v.at(2));
        r.setText(nivel, v.at(3).empty() ? "NIV" : v.at(3));
        r.setText(curso, v.at(4));
        r.setText(grupo, v.at(5));
        r.setText(unidad, v.at(0));
    };
    return reading;
}

} // namespace tmq
