#include "support/ErrorText.h"
#include "support/TestSupport.h"
#include "tables/DbfTable.h"

#include <gtest/gtest.h>

#include <ctime>

namespace tmq {
namespace {

using test::errorText;
using test::readFile;
using test::TempDir;

const std::vector<FieldDef> kLayout{{"CODE", FieldType::Text, 4},
                                    {"name", FieldType::Text, 10},
                                    {"AMOUNT", FieldType::Integer},
                                    {"HOURS", FieldType::Float}};

// Offsets of the fields above in a record, after the deletion flag.
constexpr int kCodeAt = 1;
constexpr int kAmountAt = 1 + 4 + 10;
constexpr int kHoursAt = kAmountAt + 11;
constexpr int kRecordLength = kHoursAt + 20;
constexpr int kHeaderLength = 32 + 4 * 32 + 1;

std::string recordBytes(const std::string& file, int record)
{
    return readFile(file).substr(static_cast<std::size_t>(kHeaderLength + record * kRecordLength),
                                 kRecordLength);
}

class DbfTableWrite : public testing::Test {
protected:
    TempDir dir;
    DbfTable table;

    void SetUp() override { table.create(dir.path(), "ASIGT", kLayout); }

    std::string file() const { return (dir / "ASIGT.DBF").string(); }
};

TEST_F(DbfTableWrite, HeaderIsClassicWithTodaysDateAndWindows1252)
{
    table.close();
    const std::string bytes = readFile(file());
    ASSERT_GE(bytes.size(), static_cast<std::size_t>(kHeaderLength));
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);

    EXPECT_EQ(bytes[0], '\x03');
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), today.tm_year);
    EXPECT_EQ(bytes[2], today.tm_mon + 1);
    EXPECT_EQ(bytes[3], today.tm_mday);
    EXPECT_EQ(bytes.substr(4, 4), std::string(4, '\0')); // no records
    EXPECT_EQ(static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8,
              kHeaderLength);
    EXPECT_EQ(bytes[10] | bytes[11] << 8, kRecordLength);
    EXPECT_EQ(bytes[29], '\x03');
    EXPECT_EQ(bytes[kHeaderLength - 1], '\x0D');

    struct Descriptor {
        std::string name;
        char type;
        int width;
        int decimals;
    };
    const Descriptor expected[] = {
        {"CODE", 'C', 4, 0}, {"NAME", 'C', 10, 0}, {"AMOUNT", 'N', 11, 0}, {"HOURS", 'N', 20, 4}};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        const std::string descriptor = bytes.substr(32 + 32 * i, 32);
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(descriptor.substr(0, 11),
                  expected[i].name + std::string(11 - expected[i].name.size(), '\0'));
        EXPECT_EQ(descriptor[11], expected[i].type);
        EXPECT_EQ(descriptor[16], expected[i].width);
        EXPECT_EQ(descriptor[17], expected[i].decimals);
    }
}

TEST_F(DbfTableWrite, NewTableIsWholeBeforeItIsClosed)
{
    EXPECT_TRUE(table.eof());
    DbfTable reader;
    reader.open(dir.path(), "ASIGT");
    EXPECT_EQ(reader.fieldCount(), 4);
    EXPECT_TRUE(reader.eof());
}

TEST_F(DbfTableWrite, DateSurvivesPostingAndClosing)
{
    table.append();
    table.setText("CODE", "A");
    table.post();
    table.close();
    const std::string bytes = readFile(file());
    const std::time_t now = std::time(nullptr);
    std::tm today{};
    localtime_r(&now, &today);
    EXPECT_EQ(static_cast<unsigned char>(bytes[1]), today.tm_year);
    EXPECT_EQ(bytes[2], today.tm_mon + 1);
    EXPECT_EQ(bytes[3], today.tm_mday);
    EXPECT_EQ(bytes[4], 1);
}

TEST_F(DbfTableWrite, FileIsNamedWithUpperCaseExtensionAndNoCodePageFile)
{
    table.close();
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"ASIGT.DBF"});
}

TEST(DbfTableCreate, ReplacesTheTableInAnyLetterCase)
{
    TempDir dir;
    test::writeFile(dir / "asigt.dbf", "old");
    test::writeFile(dir / "Asigt.Dbf", "older");
    DbfTable table;
    table.create(dir.path(), "ASIGT.DBF", kLayout);
    table.close();
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"ASIGT.DBF"});
    table.open(dir.path(), "asigt");
    EXPECT_EQ(table.fieldCount(), 4);
}

TEST(DbfTableCreate, MissingFolderIsNamedWithTheReason)
{
    TempDir dir;
    DbfTable table("wwTableAsig");
    const std::filesystem::path folder = dir / "missing";
    EXPECT_EQ(errorText([&] { table.create(folder, "ASIGT", kLayout); }),
              "wwTableAsig: No se puede crear la tabla '" + (folder / "ASIGT.DBF").string() +
                  "': no existe la carpeta '" + folder.string() + "'");
    EXPECT_FALSE(table.isOpen());
}

struct TextCase {
    const char* assigned;
    const char* stored; // the field's 4 bytes
    const char* read;
};

class DbfTableTextRoundTrip : public DbfTableWrite, public testing::WithParamInterface<TextCase> {};

TEST_P(DbfTableTextRoundTrip, StoresPaddedAndReadsWithoutTrailingBlanks)
{
    table.append();
    table.setText("CODE", GetParam().assigned);
    EXPECT_EQ(table.asText("CODE"), GetParam().read) << "before post";
    table.post();
    table.close();
    EXPECT_EQ(recordBytes(file(), 0).substr(kCodeAt, 4), GetParam().stored);
    table.open(dir.path(), "ASIGT");
    EXPECT_EQ(table.asText("CODE"), GetParam().read);
}

INSTANTIATE_TEST_SUITE_P(DbfTable, DbfTableTextRoundTrip,
                         testing::Values(TextCase{"ABCD", "ABCD", "ABCD"},
                                         TextCase{"ABCDEF", "ABCD", "ABCD"},
                                         TextCase{"  AB", "  AB", "  AB"},
                                         TextCase{"AB  ", "AB  ", "AB"}, TextCase{"", "    ", ""},
                                         TextCase{"\xE1\x80", "\xE1\x80  ", "\xE1\x80"}));

struct NumberCase {
    const char* field;
    double assigned;
    const char* stored;
    const char* text;
    double value;
};

class DbfTableNumberRoundTrip : public DbfTableWrite,
                                public testing::WithParamInterface<NumberCase> {};

TEST_P(DbfTableNumberRoundTrip, StoresRightAlignedWithTheFieldsDecimals)
{
    const NumberCase& c = GetParam();
    const bool isInteger = std::string_view(c.field) == "AMOUNT";
    table.append();
    table.setFloat(c.field, c.assigned);
    EXPECT_EQ(table.asText(c.field), c.text) << "before post";
    table.post();
    table.close();
    EXPECT_EQ(recordBytes(file(), 0).substr(isInteger ? kAmountAt : kHoursAt, isInteger ? 11 : 20),
              c.stored);
    table.open(dir.path(), "ASIGT");
    EXPECT_EQ(table.asText(c.field), c.text);
    EXPECT_DOUBLE_EQ(table.asFloat(c.field), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    DbfTable, DbfTableNumberRoundTrip,
    testing::Values(NumberCase{"AMOUNT", 42, "         42", "42", 42},
                    NumberCase{"AMOUNT", -7, "         -7", "-7", -7},
                    NumberCase{"AMOUNT", 2147483647, " 2147483647", "2147483647", 2147483647},
                    NumberCase{"HOURS", 3.5, "              3.5000", "3.5", 3.5},
                    NumberCase{"HOURS", 50.0 / 60, "              0.8333", "0.8333", 0.8333},
                    NumberCase{"HOURS", -2.25, "             -2.2500", "-2.25", -2.25},
                    NumberCase{"HOURS", -0.00001, "              0.0000", "0", 0},
                    NumberCase{"HOURS", 123456789012345.0, "123456789012345.0000",
                               "123456789012345", 123456789012345.0}));

TEST_F(DbfTableWrite, UnassignedNumbersAreBlankAndReadAsZero)
{
    table.append();
    table.setText("CODE", "A");
    table.post();
    table.close();
    const std::string record = recordBytes(file(), 0);
    EXPECT_EQ(record[0], ' ');
    EXPECT_EQ(record.substr(kAmountAt), std::string(31, ' '));
    table.open(dir.path(), "ASIGT");
    for (const char* field : {"AMOUNT", "HOURS"}) {
        SCOPED_TRACE(field);
        EXPECT_EQ(table.asText(field), "");
        EXPECT_EQ(table.asInteger(field), 0);
        EXPECT_EQ(table.asFloat(field), 0.0);
    }
}

TEST_F(DbfTableWrite, WholeNumbersInAFloatFieldReadAsIntegers)
{
    table.append();
    table.setFloat("HOURS", 3);
    EXPECT_EQ(table.asInteger("HOURS"), 3);
    table.setFloat("HOURS", 3.5);
    EXPECT_EQ(errorText([&] { table.asInteger("HOURS"); }), "'3.5' no es un valor entero válido");
}

TEST_F(DbfTableWrite, NumericTextIsStoredAsANumber)
{
    table.append();
    table.setText("AMOUNT", " +12 ");
    table.setText("HOURS", "1.25");
    EXPECT_EQ(table.asText("AMOUNT"), "12");
    EXPECT_EQ(table.asText("HOURS"), "1.25");
    EXPECT_EQ(errorText([&] { table.setText("AMOUNT", "12 min"); }),
              "'12 min' no es un valor válido para el campo 'AMOUNT' de la tabla '" + file() + "'");
}

TEST_F(DbfTableWrite, NumberTooWideForItsFieldIsRefused)
{
    table.append();
    EXPECT_EQ(errorText([&] { table.setFloat("AMOUNT", 1e11); }),
              "El número 100000000000 no cabe en el campo 'AMOUNT' de la tabla '" + file() + "'");
}

TEST_F(DbfTableWrite, RowsAreAddedInOrderAndTheCursorStandsOnTheNewOne)
{
    for (const char* code : {"A", "B", "C"}) {
        table.append();
        table.setText("CODE", code);
        table.post();
        EXPECT_EQ(table.asText("CODE"), code);
    }
    EXPECT_EQ(table.recordNumber(), 2);
    std::string codes;
    for (table.first(); !table.eof(); table.next())
        codes += table.asText("CODE");
    EXPECT_EQ(codes, "ABC");

    // A row never posted is not written.
    table.append();
    table.setText("CODE", "X");
    table.close();
    table.open(dir.path(), "ASIGT");
    table.append();
    table.setText("CODE", "D");
    table.post();
    table.close();
    table.open(dir.path(), "ASIGT");
    codes.clear();
    for (table.first(); !table.eof(); table.next())
        codes += table.asText("CODE");
    EXPECT_EQ(codes, "ABCD");
}

TEST_F(DbfTableWrite, AssigningWithoutANewRowIsRefused)
{
    EXPECT_EQ(errorText([&] { table.setText("CODE", "A"); }),
              "No se puede asignar el campo 'CODE': la tabla '" + file() +
                  "' no tiene ningún registro nuevo");
    EXPECT_EQ(errorText([&] { table.post(); }),
              "No hay ningún registro nuevo que guardar en la tabla '" + file() + "'");
}

} // namespace
} // namespace tmq
