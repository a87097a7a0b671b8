#pragma once

#include "export/ExportCommand.h"
#include "support/CommandRun.h"
#include "support/Documents.h"
#include "support/TableRows.h"
#include "support/TestSupport.h"
#include "xml/XmlDocument.h"

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace tmq::test {

// The tables the export writes, in the order it writes them.
inline const std::vector<std::string> kExportTables{"ASIGNOMT", "PROFT", "AULAT",
                                                    "GRUPOST",  "ASIGT", "DIASHORAST"};

// Field names of each exported table, in the order the timetable program expects.
inline const std::vector<std::string>& exportFieldNames(const std::string& table)
{
    static const std::vector<std::pair<std::string, std::vector<std::string>>> names{
        {"ASIGNOMT", {"COD", "CODLARGO", "NOMBRE", "MATERIA"}},
        {"PROFT", {"ABREV", "NOMBRE", "DEPART", "DNI", "X_EMPLEADO", "F_TOMAPOS"}},
        {"AULAT", {"ABREV", "NOMBRE", "EDIFICIO", "MAXALUM", "DEPCENTRO"}},
        {"GRUPOST", {"ABREV", "TURNO", "NIVEL", "CURSO", "GRUPO", "UNIDAD"}},
        {"ASIGT",
         {"CASIG", "CPROF", "CGRUP", "CAULA", "TURNO", "NIVEL", "CURSO", "GRUPO", "HORAS",
          "SESIONES"}},
        {"DIASHORAST",
         {"DIHO", "CODDIHO", "DIA", "TEXTODIA", "HORA", "HORADESDE", "HORAHASTA", "MINUTOS"}},
    };
    for (const auto& [name, fields] : names)
        if (name == table)
            return fields;
    throw std::logic_error("tabla desconocida " + table);
}

// A whole row of `table`: the given fields, every other field empty.
inline Row fullRow(const std::string& table, const Row& given)
{
    Row row;
    for (const std::string& field : exportFieldNames(table))
        row[field] = "";
    for (const auto& [field, value] : given) {
        if (!row.contains(field))
            throw std::logic_error(table + " no tiene el campo " + field);
        row[field] = value;
    }
    return row;
}

inline std::vector<Row> fullRows(const std::string& table, const std::vector<Row>& given)
{
    std::vector<Row> rows;
    for (const Row& row : given)
        rows.push_back(fullRow(table, row));
    return rows;
}

// A value element carrying a "dato" name.
inline Value named(const std::string& dato, const std::string& text)
{
    return {text, dato};
}

// Runs the export on an XML text, saved as a document of its own first,
// writing into `folder`.
inline void exportXml(const std::string& xml, const std::filesystem::path& folder)
{
    TempDir documents;
    writeFile(documents / "prueba.xml", xml);
    ExportCommand command(folder);
    runInFrame(command, (documents / "prueba.xml").string());
}

// The NAME.DBF or NAME.MDX files of `folder` in any letter case, by their stored names.
inline std::vector<std::string> filesNamedAnyCase(const std::filesystem::path& folder,
                                                  const std::string& upperName)
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        std::string name = entry.path().filename().string();
        std::string upper = name;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        if (upper == upperName)
            found.push_back(name);
    }
    return found;
}

} // namespace tmq::test
