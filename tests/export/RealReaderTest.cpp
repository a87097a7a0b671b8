// The sample school exported and read back by an independent dBASE reader
// (Debian's python3-dbfread): layouts, code page and values must agree.
#ifndef _WIN32

#include "export/ExportFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <sys/wait.h>

namespace tmq::test {
namespace {

struct FieldLayout {
    std::string name;
    std::string type;
    int length;
    int decimals;
    bool operator==(const FieldLayout&) const = default;
};

void PrintTo(const FieldLayout& f, std::ostream* os)
{
    *os << f.name << " " << f.type << "(" << f.length << "," << f.decimals << ")";
}

struct ReaderTable {
    std::string encoding;
    std::string languageDriver;
    std::string sameAsCp1252;
    std::vector<FieldLayout> fields;
    std::vector<Row> rows; // values as JSON texts
};

struct ReaderOutput {
    int status = -1;
    std::string text;
};

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

ReaderOutput runReader(const std::filesystem::path& folder)
{
    std::string command = "/usr/bin/python3 -I " +
                          shellQuoted(std::string(TMQ_TEST_DATA) + "/export/dump_tables.py") + " " +
                          shellQuoted(folder.string());
    for (const std::string& table : kExportTables)
        command += " " + table;
    command += " 2>&1";

    ReaderOutput output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return output;
    char buffer[4096];
    std::size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.text.append(buffer, got);
    const int status = pclose(pipe);
    output.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return output;
}

std::vector<std::string> splitTabs(const std::string& line)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        parts.push_back(line.substr(start, tab - start));
    parts.push_back(line.substr(start));
    return parts;
}

std::map<std::string, ReaderTable> parseReaderOutput(const std::string& text)
{
    std::map<std::string, ReaderTable> tables;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const auto parts = splitTabs(line);
        if (parts.size() == 5 && parts[0] == "table") {
            ReaderTable& t = tables[parts[1]];
            t.encoding = parts[2];
            t.languageDriver = parts[3];
            t.sameAsCp1252 = parts[4];
        } else if (parts.size() == 6 && parts[0] == "field") {
            tables[parts[1]].fields.push_back(
                {parts[2], parts[3], std::stoi(parts[4]), std::stoi(parts[5])});
        } else if (parts.size() == 5 && parts[0] == "value") {
            auto& rows = tables[parts[1]].rows;
            const auto row = static_cast<std::size_t>(std::stoul(parts[2]));
            if (rows.size() <= row)
                rows.resize(row + 1);
            rows[row][parts[3]] = parts[4];
        } else {
            ADD_FAILURE() << "línea inesperada del lector: " << line;
        }
    }
    return tables;
}

std::string json(const std::string& text)
{
    return "\"" + text + "\"";
}

FieldLayout text(const std::string& name, int width)
{
    return {name, "C", width, 0};
}
FieldLayout number(const std::string& name, int width, int decimals)
{
    return {name, "N", width, decimals};
}

const std::map<std::string, std::vector<FieldLayout>> kLayouts{
    {"ASIGNOMT", {text("COD", 4), text("CODLARGO", 8), text("NOMBRE", 40), text("MATERIA", 8)}},
    {"PROFT",
     {text("ABREV", 4), text("NOMBRE", 40), text("DEPART", 40), number("DNI", 11, 0),
      text("X_EMPLEADO", 10), text("F_TOMAPOS", 10)}},
    {"AULAT",
     {text("ABREV", 4), text("NOMBRE", 40), text("EDIFICIO", 1), number("MAXALUM", 11, 0),
      text("DEPCENTRO", 10)}},
    {"GRUPOST",
     {text("ABREV", 4), text("TURNO", 1), text("NIVEL", 5), text("CURSO", 3), text("GRUPO", 2),
      text("UNIDAD", 10)}},
    {"ASIGT",
     {text("CASIG", 4), text("CPROF", 4), text("CGRUP", 4), text("CAULA", 4), text("TURNO", 1),
      text("NIVEL", 5), text("CURSO", 3), text("GRUPO", 2), number("HORAS", 20, 4),
      text("SESIONES", 20)}},
    {"DIASHORAST",
     {text("DIHO", 10), text("CODDIHO", 10), text("DIA", 20), text("TEXTODIA", 20), text("HORA", 8),
      text("HORADESDE", 8), text("HORAHASTA", 8), text("MINUTOS", 8)}},
};

struct ExpectedRecord {
    std::string table;
    std::size_t row;
    std::string values; // every field in layout order, as JSON, joined by commas
};

const std::vector<ExpectedRecord> kRecords{
    {"ASIGNOMT", 0, R"("MAT","MATEMAT","Matemáticas","G1001")"},
    {"ASIGNOMT", 6, R"("MUS","MUSICA","Música","1007")"},
    {"ASIGNOMT", 9, R"("PLA","PLASTICA","Educación Plástica, Visual y Audiovisual","G1010")"},
    {"ASIGNOMT", 11, R"("CAS","CASTELL","Cultura Clásica y Enseñanzas Artísticas","G1012")"},
    {"PROFT", 0, R"("MNP","Núñez Peña, María José","",null,"10234","01/09/2019")"},
    {"PROFT", 4, R"("ASB","Sáenz de Buruaga, Ángela","",null,"11876","01/09/2020")"},
    {"AULAT", 3, R"("LAB","Laboratorio de Física y Química","S",null,"LABFQ")"},
    {"AULAT", 4, R"("GIM","Gimnasio","G",null,"GIM")"},
    {"GRUPOST", 3, R"("1BC","M","NIV","1","A","1BACH")"},
    {"ASIGT", 0, R"("MAT","","1A","A1","M","ESO","1","A",4.0,"1111")"},
    {"ASIGT", 11, R"("PLA","","2A","A3","M","ESO","2","A",1.5,"11")"},
    {"ASIGT", 13, R"("VAL","","1BC","A3","M","NIV","1","A",1.0,"1")"},
    {"DIASHORAST", 0, R"("L1","400001","1","","1","08:15","09:10","55")"},
    {"DIASHORAST", 29, R"("V6","400030","5","","6","13:20","14:15","55")"},
};

// A record's values in layout order, as written in kRecords.
std::string joinedValues(const Row& row, const std::vector<FieldLayout>& layout)
{
    std::string joined;
    for (const FieldLayout& field : layout) {
        if (!joined.empty())
            joined += ",";
        joined += row.contains(field.name) ? row.at(field.name) : "<falta>";
    }
    return joined;
}

const std::map<std::string, std::size_t> kRecordCounts{
    {"ASIGNOMT", 12}, {"PROFT", 7}, {"AULAT", 6}, {"GRUPOST", 4}, {"ASIGT", 15}, {"DIASHORAST", 30},
};

TEST(RealReader, ReadsTheSampleSchoolAsExported)
{
    TempDir dir;
    ExportCommand command(dir.path());
    runInFrame(command, std::string(TMQ_EXAMPLES) + "/centro.xml");

    const ReaderOutput output = runReader(dir.path());
    ASSERT_EQ(output.status, 0) << "/usr/bin/python3 con dbfread no pudo leer las tablas "
                                   "(instálelos con scripts/setup.sh):\n"
                                << output.text;
    const auto tables = parseReaderOutput(output.text);

    for (const std::string& name : kExportTables) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(tables.contains(name));
        const ReaderTable& table = tables.at(name);
        EXPECT_EQ(table.languageDriver, "3");
        EXPECT_EQ(table.encoding, "cp1252");
        EXPECT_EQ(table.sameAsCp1252, "true");
        EXPECT_EQ(table.fields, kLayouts.at(name));
        EXPECT_EQ(table.rows.size(), kRecordCounts.at(name));
    }
    for (const ExpectedRecord& record : kRecords) {
        SCOPED_TRACE(record.table + " " + std::to_string(record.row));
        const auto& rows = tables.at(record.table).rows;
        ASSERT_LT(record.row, rows.size());
        EXPECT_EQ(joinedValues(rows[record.row], kLayouts.at(record.table)), record.values);
        EXPECT_EQ(rows[record.row].size(), kLayouts.at(record.table).size());
    }
}

// Every text value the reader sees is the one this program reads back.
TEST(RealReader, AgreesWithTheProgramsOwnReaderOnEveryText)
{
    TempDir dir;
    ExportCommand command(dir.path());
    runInFrame(command, std::string(TMQ_EXAMPLES) + "/centro.xml");
    const ReaderOutput output = runReader(dir.path());
    ASSERT_EQ(output.status, 0) << output.text;
    const auto tables = parseReaderOutput(output.text);

    for (const std::string& name : kExportTables) {
        SCOPED_TRACE(name);
        const auto ours = readRows(dir.path(), name);
        const auto& theirs = tables.at(name).rows;
        ASSERT_EQ(ours.size(), theirs.size());
        for (std::size_t i = 0; i < ours.size(); ++i) {
            for (const FieldLayout& field : kLayouts.at(name)) {
                if (field.type == "C") {
                    EXPECT_EQ(json(ours[i].at(field.name)), theirs[i].at(field.name))
                        << "fila " << i << " campo " << field.name;
                }
            }
        }
    }
}

} // namespace
} // namespace tmq::test

#else

#include <gtest/gtest.h>

TEST(RealReader, ReadsTheSampleSchoolAsExported)
{
    GTEST_SKIP() << "runs Debian's python3-dbfread, which is not there under Windows; "
                    "scripts/windows-test.sh compares the tables with the Linux build's instead";
}

#endif
