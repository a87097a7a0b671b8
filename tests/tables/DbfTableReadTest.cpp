#include "DbfBytes.h"
#include "support/ErrorText.h"
#include "support/TestSupport.h"
#include "tables/DbfTable.h"

#include <gtest/gtest.h>

#include <climits>

namespace tmq {
namespace {

using namespace test;

class DbfTableRead : public testing::Test {
protected:
    TempDir dir;

    std::string write(std::string_view name, const std::string& bytes)
    {
        writeFile(dir / name, bytes);
        return (dir / name).string();
    }
};

// A table as Visual FoxPro writes it, with every type this program reads.
std::string visualFoxProTable()
{
    const std::vector<FieldBytes> fields{{"NAME", 'C', 8},   {"QTY", 'N', 5},   {"CNT", 'I', 4},
                                         {"VAL", 'B', 8, 2}, {"PRICE", 'Y', 8}, {"OK", 'L', 1},
                                         {"DAY", 'D', 8}};
    return dbfBytes(0x30, fields,
                    {" " + padRight(" Ana", 8) + padLeft("12", 5) + int32Bytes(7) +
                         doubleBytes(2.5) + int64Bytes(123456) + "T" + "20240131",
                     " " + padRight("Bob", 8) + padLeft("-3", 5) + int32Bytes(-5) +
                         doubleBytes(4.0) + int64Bytes(-30000) + "F" + padRight("", 8),
                     " " + padRight("", 8) + padLeft("", 5) + int32Bytes(0) + doubleBytes(0) +
                         int64Bytes(5) + "?" + padRight("", 8)});
}

TEST_F(DbfTableRead, VisualFoxProTableWithBackLink)
{
    write("FOX.DBF", visualFoxProTable());
    DbfTable table;
    table.open(dir.path(), "FOX");
    ASSERT_EQ(table.fieldCount(), 7);
    EXPECT_EQ(table.fieldName(6), "DAY");

    struct Expected {
        const char* field;
        const char* texts[3];
    };
    const Expected expected[] = {{"NAME", {" Ana", "Bob", ""}},
                                 {"QTY", {"12", "-3", ""}},
                                 {"CNT", {"7", "-5", "0"}},
                                 {"VAL", {"2.5", "4", "0"}},
                                 {"PRICE", {"12.3456", "-3", "0.0005"}},
                                 {"OK", {"True", "False", ""}},
                                 {"DAY", {"20240131", "", ""}}};
    for (const Expected& field : expected) {
        SCOPED_TRACE(field.field);
        int row = 0;
        for (table.first(); !table.eof(); table.next(), ++row)
            EXPECT_EQ(table.asText(field.field), field.texts[row]) << "row " << row;
        EXPECT_EQ(row, 3);
    }

    table.first();
    EXPECT_EQ(table.asInteger("QTY"), 12);
    EXPECT_EQ(table.asInteger("CNT"), 7);
    EXPECT_EQ(table.asFloat("VAL"), 2.5);
    EXPECT_EQ(table.asFloat("PRICE"), 12.3456);
    EXPECT_EQ(table.asInteger("DAY"), 20240131);
    EXPECT_EQ(errorText([&] { table.asInteger("VAL"); }), "'2.5' no es un valor entero válido");
    EXPECT_EQ(errorText([&] { table.asInteger("PRICE"); }),
              "'12.3456' no es un valor entero válido");
    EXPECT_EQ(errorText([&] { table.asInteger("OK"); }), "'True' no es un valor entero válido");
    table.next();
    EXPECT_EQ(table.asInteger("VAL"), 4);
    EXPECT_EQ(table.asInteger("PRICE"), -3);
    EXPECT_EQ(table.asFloat("CNT"), -5);
    EXPECT_EQ(table.asInteger("DAY"), 0);
}

TEST_F(DbfTableRead, ReadingLeavesTheFileAsItWas)
{
    const std::string bytes = visualFoxProTable();
    const std::string file = write("FOX.DBF", bytes);
    DbfTable table;
    table.open(dir.path(), "FOX", Access::Exclusive);
    for (table.first(); !table.eof(); table.next())
        table.asText("NAME");
    table.close();
    EXPECT_EQ(readFile(file), bytes);
}

TEST_F(DbfTableRead, ShapelibFailureIsReportedAndNotPrinted)
{
    // Longer than the buffer of an open file, so that its end is read anew.
    const std::vector<std::string> records(1000, " " + padRight("A", 20));
    const std::string file = write("CUT.DBF", dbfBytes(0x03, {{"CODE", 'C', 20}}, records));
    DbfTable table("wwTableCut");
    table.open(dir.path(), "CUT");
    std::filesystem::resize_file(file, 32 + 32 + 1 + 21);
    testing::internal::CaptureStderr();
    const std::string message = errorText([&] { table.moveTo(900); });
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    const std::string start =
        "wwTableCut: No se puede leer el registro 901 de la tabla '" + file + "': ";
    EXPECT_EQ(message.substr(0, start.size()), start);
    EXPECT_GT(message.size(), start.size()) << "shapelib's own words follow";
}

TEST_F(DbfTableRead, DbaseFourFloatAndWideNumericFields)
{
    write("D4.DBF", dbfBytes(0x8B, {{"F", 'F', 10, 3}, {"N", 'N', 12, 0}},
                             {" " + padLeft("1.250", 10) + padLeft("2147483647", 12),
                              " " + padLeft("2.000", 10) + padLeft("2147483648", 12),
                              " " + padLeft("-2.5e1", 10) + padLeft("-2147483648", 12)}));
    DbfTable table;
    table.open(dir.path(), "D4");
    EXPECT_EQ(table.asText("F"), "1.25");
    EXPECT_EQ(table.asFloat("F"), 1.25);
    EXPECT_EQ(errorText([&] { table.asInteger("F"); }), "'1.25' no es un valor entero válido");
    EXPECT_EQ(table.asText("N"), "2147483647");
    EXPECT_EQ(table.asInteger("N"), INT_MAX);
    table.next();
    EXPECT_EQ(table.asInteger("F"), 2);
    EXPECT_EQ(table.asText("F"), "2"); // a whole number shows no fraction
    EXPECT_EQ(table.asFloat("N"), 2147483648.0);
    EXPECT_EQ(errorText([&] { table.asInteger("N"); }),
              "'2147483648' no es un valor entero válido");
    table.next();
    EXPECT_EQ(table.asFloat("F"), -25);
    EXPECT_EQ(table.asInteger("N"), INT_MIN);
}

TEST_F(DbfTableRead, TextKeepsLeadingBlanksAndBytesAndLosesTrailingBlanksAndNuls)
{
    write("T.DBF", dbfBytes(0x03, {{"TEXT", 'C', 8}},
                            {" " + std::string("  ab\0\0\0\0", 8), " " + padRight("\xC1rbol ", 8),
                             " " + padRight("  90", 8), " " + padRight("$5a", 8),
                             " " + padRight("90 min", 8), " " + padRight("\xE1", 8),
                             " " + padRight("", 8)}));
    DbfTable table("wwTableT");
    table.open(dir.path(), "T");
    EXPECT_EQ(table.asText("TEXT"), "  ab");
    table.next();
    EXPECT_EQ(table.asText("TEXT"), "\xC1rbol");
    table.next();
    EXPECT_EQ(table.asInteger("TEXT"), 90);
    table.next();
    EXPECT_EQ(table.asInteger("TEXT"), 90);
    table.next();
    EXPECT_EQ(errorText([&] { table.asInteger("TEXT"); }),
              "wwTableT: '90 min' no es un valor entero válido");
    EXPECT_EQ(errorText([&] { table.asFloat("TEXT"); }),
              "wwTableT: '90 min' no es un valor numérico válido (campo 'TEXT' de la tabla '" +
                  (dir / "T.DBF").string() + "')");
    table.next();
    EXPECT_EQ(errorText([&] { table.asInteger("TEXT"); }),
              "wwTableT: '\xC3\xA1' no es un valor entero válido");
    table.next();
    EXPECT_EQ(table.asInteger("TEXT"), 0);
    EXPECT_EQ(table.asFloat("TEXT"), 0.0);
}

TEST_F(DbfTableRead, DeletedRowsAreInvisible)
{
    std::vector<std::string> records;
    for (const char* row : {"*A", " B", "*C", "*D", " E", "*F"})
        records.push_back(row);
    write("DEL.DBF", dbfBytes(0x03, {{"CODE", 'C', 1}}, records));
    DbfTable table;
    table.open(dir.path(), "DEL");
    EXPECT_EQ(table.recordNumber(), 1);
    std::string seen;
    for (table.first(); !table.eof(); table.next())
        seen += table.asText("CODE") + std::to_string(table.recordNumber());
    EXPECT_EQ(seen, "B1E4");

    table.moveTo(4);
    EXPECT_EQ(table.asText("CODE"), "E");
    EXPECT_EQ(errorText([&] { table.moveTo(2); }), "El registro 3 de la tabla '" +
                                                       (dir / "DEL.DBF").string() +
                                                       "' no existe o no está visible");
    EXPECT_EQ(table.asText("CODE"), "E") << "a refused move leaves the row where it was";
    EXPECT_EQ(errorText([&] { table.moveTo(6); }).substr(0, 14), "El registro 7 ");
}

TEST_F(DbfTableRead, FilterShowsExactlyEqualTextOnly)
{
    std::vector<std::string> records;
    for (const char* row : {" B ", " A ", " a ", " AA", "*A ", " A "})
        records.push_back(row);
    write("F.DBF", dbfBytes(0x03, {{"CODE", 'C', 2}}, records));
    DbfTable table;
    table.open(dir.path(), "F");
    table.next();
    table.setFilter("code", "A");
    EXPECT_EQ(table.recordNumber(), 1) << "the filter stands on its first row";
    std::string seen;
    for (table.first(); !table.eof(); table.next())
        seen += std::to_string(table.recordNumber());
    EXPECT_EQ(seen, "15");

    table.setFilter("CODE", "Z");
    EXPECT_TRUE(table.eof());

    table.clearFilter();
    seen.clear();
    for (table.first(); !table.eof(); table.next())
        seen += std::to_string(table.recordNumber());
    EXPECT_EQ(seen, "01235");
}

TEST_F(DbfTableRead, MissingFieldIsNamedAsAsked)
{
    write("SOLUC.DBF", dbfBytes(0x03, {{"PROF", 'C', 4}}, {" ABCD"}));
    DbfTable unnamed;
    unnamed.open(dir.path(), "SOLUC");
    EXPECT_EQ(errorText([&] { unnamed.asText("CodGrupo"); }),
              "No se encuentra el campo 'CodGrupo'");
    EXPECT_EQ(unnamed.asText("prof"), "ABCD");
    EXPECT_EQ(unnamed.fieldIndex("Prof"), 0);

    DbfTable named("wwTableSoluc");
    named.open(dir.path(), "SOLUC");
    EXPECT_EQ(errorText([&] { named.fieldIndex("CODGRUPO"); }),
              "wwTableSoluc: No se encuentra el campo 'CODGRUPO'");
    EXPECT_EQ(errorText([&] { named.setFilter("CODGRUPO", "1"); }),
              "wwTableSoluc: No se encuentra el campo 'CODGRUPO'");
}

TEST_F(DbfTableRead, UnknownFieldTypeIsRefusedOnlyWhenRead)
{
    const std::string file =
        write("M.DBF", dbfBytes(0x83,
                                {{"NAME", 'C', 3},
                                 {"NOTES", 'M', 10},
                                 {"WHEN", 'T', 8},
                                 {"ODD", '\x01', 1},
                                 {"SHORT", 'I', 2}},
                                {" Ana" + padLeft("1", 10) + std::string(11, '\0')}));
    DbfTable table("wwTableM");
    table.open(dir.path(), "M");
    EXPECT_EQ(table.fieldCount(), 5);
    EXPECT_EQ(table.asText("NAME"), "Ana");
    EXPECT_EQ(errorText([&] { table.asText("NOTES"); }),
              "wwTableM: El campo 'NOTES' de la tabla '" + file +
                  "' es de un tipo que no se puede leer ('M')");
    EXPECT_EQ(errorText([&] { table.asInteger("WHEN"); }),
              "wwTableM: El campo 'WHEN' de la tabla '" + file +
                  "' es de un tipo que no se puede leer ('T')");
    EXPECT_EQ(errorText([&] { table.setFilter("ODD", ""); }),
              "wwTableM: El campo 'ODD' de la tabla '" + file +
                  "' es de un tipo que no se puede leer (0x01)");
    EXPECT_NE(errorText([&] { table.asFloat("SHORT"); }).find("('I')"), std::string::npos)
        << "a binary integer must have 4 bytes";
}

TEST_F(DbfTableRead, EveryReadableVersionOpens)
{
    for (const int version :
         {0x02, 0x03, 0x30, 0x31, 0x32, 0x43, 0x63, 0x83, 0x8B, 0x8E, 0xCB, 0xE5, 0xF5, 0xFB}) {
        SCOPED_TRACE(version);
        write("V.DBF", dbfBytes(static_cast<unsigned char>(version), {{"A", 'C', 2}, {"B", 'N', 3}},
                                {" xy  5"}));
        DbfTable table;
        table.open(dir.path(), "V");
        EXPECT_EQ(table.fieldCount(), 2);
        EXPECT_EQ(table.asText("A"), "xy");
        EXPECT_EQ(table.asInteger("B"), 5);
    }
}

struct BrokenCase {
    const char* what;
    std::string bytes;
    const char* messageStart; // followed by the quoted path
    const char* messageEnd;
};

std::string withByte(std::string bytes, std::size_t at, char value)
{
    bytes[at] = value;
    return bytes;
}

const std::string kSound = dbfBytes(0x03, {{"A", 'C', 2}, {"B", 'N', 3}}, {" xy  5", " zz  6"});

class DbfTableRefused : public DbfTableRead, public testing::WithParamInterface<BrokenCase> {};

TEST_P(DbfTableRefused, NamesTheTableAndTheFault)
{
    const std::string file = write("BAD.DBF", GetParam().bytes);
    DbfTable table("wwTableBad");
    EXPECT_EQ(errorText([&] { table.open(dir.path(), "BAD", Access::Exclusive); }),
              std::string("wwTableBad: ") + GetParam().messageStart + "'" + file + "'" +
                  GetParam().messageEnd);
    EXPECT_FALSE(table.isOpen());
    // The refused table is not left locked.
    table.create(dir.path(), "BAD", {{"A", FieldType::Text, 1}});
}

INSTANTIATE_TEST_SUITE_P(
    DbfTable, DbfTableRefused,
    testing::Values(
        BrokenCase{"dBASE 7", withByte(kSound, 0, 0x04), "La tabla ",
                   " es de dBASE 7, una versión que no se puede leer; guárdela como dBASE III, "
                   "IV o 5"},
        BrokenCase{"dBASE 7 with memo", withByte(kSound, 0, '\x8C'), "La tabla ",
                   " es de dBASE 7, una versión que no se puede leer; guárdela como dBASE III, "
                   "IV o 5"},
        BrokenCase{"text", "NOMBRE;APELLIDOS\nAna;Ruiz\nLuis;Gil\nMar;Sanz\n", "El archivo ",
                   " no es una tabla dBASE: su primer byte (0x4E) no corresponde a ninguna "
                   "versión conocida"},
        BrokenCase{"short", kSound.substr(0, 20), "El archivo ",
                   " no es una tabla dBASE: tiene solo 20 bytes"},
        BrokenCase{"empty", "", "El archivo ", " no es una tabla dBASE: tiene solo 0 bytes"},
        BrokenCase{"cut in the header", kSound.substr(0, 70), "La tabla ",
                   " está incompleta: su cabecera ocupa 97 bytes y el archivo tiene 70"},
        BrokenCase{"cut in the records", kSound.substr(0, 97 + 6 + 3), "La tabla ",
                   " está incompleta: su cabecera anuncia 2 registros y el archivo solo "
                   "contiene 1"},
        BrokenCase{"record count too high", withByte(kSound, 4, 9), "La tabla ",
                   " está incompleta: su cabecera anuncia 9 registros y el archivo solo "
                   "contiene 2"},
        BrokenCase{"record length too short", withByte(kSound, 10, 5), "La tabla ",
                   " no es válida: sus registros ocupan 5 bytes según la cabecera y 6 según "
                   "sus campos"},
        BrokenCase{"record length too long", withByte(kSound, 10, 7), "La tabla ",
                   " no es válida: sus registros ocupan 7 bytes según la cabecera y 6 según "
                   "sus campos"},
        BrokenCase{"no fields", withByte(kSound, 32, 0x0D), "La tabla ",
                   " no es válida: su cabecera no describe ningún campo"}),
    [](const testing::TestParamInfo<BrokenCase>& param) {
        std::string name;
        for (const char c : std::string(param.param.what))
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        return name;
    });

TEST_F(DbfTableRead, MissingTableIsNamed)
{
    DbfTable table("wwTableSoluc");
    EXPECT_EQ(errorText([&] { table.open(dir.path(), "SOLUC"); }),
              "wwTableSoluc: No existe la tabla '" + (dir / "SOLUC.DBF").string() + "'");
}

} // namespace
} // namespace tmq
