#include "core/CaseFold.h"
#include "core/Cp1252.h"
#include "export/ExportSteps.h"
#include "export/StepTable.h"
#include "tables/TableLayouts.h"

#include <unordered_set>

namespace tmq {

void ExportarMaterias(const XmlDocument& doc, const std::filesystem::path& folder, Report& report)
{
    DbfTable table;
    recreateStepTable(table, folder, "ASIGNOMT", asignomtLayout());
    std::size_t written = 0;

    // Codes already written, folded to small letters; the full code counts,
    // not what is left of it after the cut to the width of COD.
    std::unordered_set<std::string> writtenCodes;
    forEachItem(doc, "MATERIAS", kLeastValueCount, report,
                [&](const std::vector<XmlElement>& values) {
                    const std::string materia = valueAt(values, 0);
                    const std::string cod = valueAt(values, 1);
                    const std::string codLargo = valueAt(values, 2);
                    const std::string nombre = valueAt(values, 3);

                    if (!writtenCodes.insert(foldCaseCp1252(cod)).second) {
                        if (report.wanted())
                            report.line("MATERIAS: código '" + cp1252ToUtf8(cod) + "' (" +
                                        cp1252ToUtf8(nombre) +
                                        ") repetido: pasado por alto, vale el primero");
                        return;
                    }

                    table.append();
                    table.setText("COD", cod);
                    table.setText("CODLARGO", codLargo);
                    table.setText("NOMBRE", nombre);
                    table.setText("MATERIA", materia);
                    table.post();
                    ++written;
                });
    table.close();
    reportRecords(report, "ASIGNOMT", written);
}

void ExportarProfesores(const XmlDocument& doc, const std::filesystem::path& folder, Report& report)
{
    DbfTable table;
    recreateStepTable(table, folder, "PROFT", proftLayout());
    std::size_t written = 0;

    forEachItem(doc, "PROFESORES", kLeastValueCount, report,
                [&](const std::vector<XmlElement>& values) {
                    const std::string empleado = valueAt(values, 0);
                    const std::string tomaPos = valueAt(values, 1);
                    const std::string abrev = valueAt(values, 3);
                    const std::string nombre = valueAt(values, 2);

                    table.append();
                    table.setText("ABREV", abrev);
                    table.setText("NOMBRE", nombre);
                    table.setText("X_EMPLEADO", empleado);
                    table.setText("F_TOMAPOS", tomaPos);
                    table.post();
                    ++written;
                });
    table.close();
    reportRecords(report, "PROFT", written);
}

void ExportarAulas(const XmlDocument& doc, const std::filesystem::path& folder, Report& report)
{
    DbfTable table;
    recreateStepTable(table, folder, "AULAT", aulatLayout());
    std::size_t written = 0;

    forEachItem(doc, "AULAS", kLeastValueCount, report, [&](const std::vector<XmlElement>& values) {
        const std::string depCentro = valueAt(values, 0);
        std::string abrev = valueAt(values, 1);
        if (abrev.empty())
            abrev = depCentro;
        const std::string nombre = valueAt(values, 2);
        const std::string edificio = valueAt(values, 3);

        table.append();
        table.setText("ABREV", abrev);
        table.setText("NOMBRE", nombre);
        table.setText("EDIFICIO", edificio);
        table.setText("DEPCENTRO", depCentro);
        table.post();
        ++written;
    });
    table.close();
    reportRecords(report, "AULAT", written);
}

void ExportarGrupos(const XmlDocument& doc, const std::filesystem::path& folder, Report& report)
{
    DbfTable table;
    recreateStepTable(table, folder, "GRUPOST", grupostLayout());
    std::size_t written = 0;

    forEachItem(doc, "GRUPOS", kLeastValueCount, report,
                [&](const std::vector<XmlElement>& values) {
                    const std::string unidad = valueAt(values, 0);
                    const std::string abrev = valueAt(values, 1);
                    const std::string turno = valueAt(values, 2);
                    std::string nivel = valueAt(values, 3);
                    const std::string curso = valueAt(values, 4);
                    const std::string grupo = valueAt(values, 5);
                    if (nivel.empty())
                        nivel = "NIV";

                    table.append();
                    table.setText("ABREV", abrev);
                    table.setText("TURNO", turno);
                    table.setText("NIVEL", nivel);
                    table.setText("CURSO", curso);
                    table.setText("GRUPO", grupo);
                    table.setText("UNIDAD", unidad);
                    table.post();
                    ++written;
                });
    table.close();
    reportRecords(report, "GRUPOST", written);
}

} // namespace tmq
