#include "core/CaseFold.h"
#include "export/ExportSteps.h"
#include "export/StepTable.h"
#include "tables/TableLayouts.h"

#include <unordered_set>

namespace tmq {

void ExportarMaterias(const XmlDocument& doc, const std::filesystem::path& folder)
{
    DbfTable table;
    recreateStepTable(table, folder, "ASIGNOMT", asignomtLayout());

    // Codes already written, folded to small letters; the full code counts,
    // not what is left of it after the cut to the width of COD.
    std::unordered_set<std::string> writtenCodes;
    forEachItem(doc, "MATERIAS", kLeastValueCount, [&](const std::vector<XmlElement>& values) {
        const std::string materia = valueAt(values, 0);
        const std::string cod = valueAt(values, 1);
        const std::string codLargo = valueAt(values, 2);
        const std::string nombre = valueAt(values, 3);

        if (!writtenCodes.insert(foldCaseCp1252(cod)).second)
            return;

        table.append();
        table.setText("COD", cod);
        table.setText("CODLARGO", codLargo);
        table.setText("NOMBRE", nombre);
        table.setText("MATERIA", materia);
        table.post();
    });
    table.close();
}

void ExportarProfesores(const XmlDocument& doc, const std::filesystem::path& folder)
{
    DbfTable table;
    recreateStepTable(table, folder, "PROFT", proftLayout());

    forEachItem(doc, "PROFESORES", kLeastValueCount, [&](const std::vector<XmlElement>& values) {
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
    });
    table.close();
}

void ExportarAulas(const XmlDocument& doc, const std::filesystem::path& folder)
{
    DbfTable table;
    recreateStepTable(table, folder, "AULAT", aulatLayout());

    forEachItem(doc, "AULAS", kLeastValueCount, [&](const std::vector<XmlElement>& values) {
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
    });
    table.close();
}

void ExportarGrupos(const XmlDocument& doc, const std::filesystem::path& folder)
{
    DbfTable table;
    recreateStepTable(table, folder, "GRUPOST", grupostLayout());

    forEachItem(doc, "GRUPOS", kLeastValueCount, [&](const std::vector<XmlElement>& values) {
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
    });
    table.close();
}

} // namespace tmq
