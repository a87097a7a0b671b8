// transmirtavquelmar-cli export: exit codes, and which stream gets which text.
#include "support/Documents.h"
#include "support/TableRows.h"
#include "support/TestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>

namespace tmq::test {
namespace {

using testing::HasSubstr;

struct CliRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string shellQuoted(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CliRun runCli(const TempDir& scratch, const std::vector<std::string>& args)
{
    std::string command = shellQuoted(TMQ_CLI);
    for (const std::string& arg : args)
        command += " " + shellQuoted(arg);
    const auto outFile = scratch / "salida.txt";
    const auto errFile = scratch / "errores.txt";
    command += " >" + shellQuoted(outFile.string()) + " 2>" + shellQuoted(errFile.string()) +
               " </dev/null";
    const int status = std::system(command.c_str());
    CliRun run;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = readFile(outFile);
    run.err = readFile(errFile);
    return run;
}

struct ExportCli : testing::Test {
    TempDir dir;
    std::filesystem::path tables = dir / "tablas";
    std::string xmlFile = (dir / "centro.xml").string();

    void SetUp() override { std::filesystem::create_directory(tables); }

    void writeDocument(const std::string& minutes)
    {
        writeFile(xmlFile,
                  exchangeDocument({
                      {"MATERIAS", positional({{"G1", "MAT", "MATEMAT", "Matemáticas"}}), ""},
                      {"ASIGNATURAS",
                       positional({{"MAT", "1A", "A1", "M", "ESO", "1", "A", minutes}}), ""},
                  }));
    }
};

TEST_F(ExportCli, WritesTheTablesAndReportsOnStandardOutput)
{
    writeDocument("120");
    const CliRun run = runCli(dir, {"export", xmlFile, "--dir", tables.string()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, "Proceso finalizado\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(column(readRows(tables, "ASIGNOMT"), "NOMBRE"),
              std::vector<std::string>{"Matemáticas"});
    EXPECT_EQ(column(readRows(tables, "ASIGT"), "SESIONES"), std::vector<std::string>{"11"});
    EXPECT_TRUE(readRows(tables, "DIASHORAST").empty());
}

TEST_F(ExportCli, VerboseTellsTheRecordsWrittenAndWhatWasPassedOver)
{
    writeFile(
        xmlFile,
        exchangeDocument({
            {"MATERIAS",
             positional({{"G1", "MAT", "MATEMAT", "Matemáticas"},
                         {"G2", "mat", "LENGUA", "Lengua"},
                         {"sólo uno"}}),
             ""},
            {"TRAMOS",
             {{{"L1", "NOMBRE"}, {"400001", "CODIGO_QUELMAR"}}, {{"400002", "CODIGO_QUELMAR"}}},
             ""},
        }));

    const CliRun run = runCli(dir, {"export", xmlFile, "--dir", tables.string(), "--verbose"});

    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out,
              "MATERIAS: código 'mat' (Lengua) repetido: pasado por alto, vale el primero\n"
              "MATERIAS, elemento 3 ('sólo uno'): pasado por alto, tiene 1 valor y hacen falta 2\n"
              "TRAMOS, elemento 2: sin nombre de tramo (NOMBRE o DIA); su registro se escribe, "
              "pero la importación no podrá encontrarlo\n"
              "ASIGNOMT: 1 registro escrito\n"
              "PROFT: 0 registros escritos\n"
              "AULAT: 0 registros escritos\n"
              "GRUPOST: 0 registros escritos\n"
              "ASIGT: 0 registros escritos\n"
              "DIASHORAST: 2 registros escritos\n"
              "Proceso finalizado\n");
    EXPECT_EQ(run.err, "");

    const CliRun quiet = runCli(dir, {"export", xmlFile, "--dir", tables.string()});
    EXPECT_EQ(quiet.out, "Proceso finalizado\n");
}

TEST_F(ExportCli, AcceptsTheFolderAfterAnEqualsSign)
{
    writeDocument("120");
    const CliRun run = runCli(dir, {"export", "--dir=" + tables.string(), xmlFile});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readRows(tables, "ASIGT").size(), 1u);
}

TEST_F(ExportCli, MissingFileExitsWithOne)
{
    const CliRun run =
        runCli(dir, {"export", (dir / "no-existe.xml").string(), "--dir", tables.string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "No existe archivo\n");
    EXPECT_TRUE(std::filesystem::is_empty(tables));
}

TEST_F(ExportCli, MalformedDocumentExitsWithTwoNamingTheFile)
{
    const std::string broken = std::string(TMQ_TEST_DATA) + "/export/mismatched-tag.xml";
    const CliRun run = runCli(dir, {"export", broken, "--dir", tables.string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr("mismatched-tag.xml"));
    EXPECT_THAT(run.err, HasSubstr("línea 7"));
    EXPECT_TRUE(std::filesystem::is_empty(tables));
}

TEST_F(ExportCli, FaultyMinutesExitWithTwo)
{
    writeDocument("1.5");
    const CliRun run = runCli(dir, {"export", xmlFile, "--dir", tables.string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, HasSubstr("'1.5' no es un valor entero válido"));
}

TEST_F(ExportCli, MissingWorkingFolderExitsWithTwo)
{
    writeDocument("120");
    const CliRun run = runCli(dir, {"export", xmlFile, "--dir", (dir / "no-existe").string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err, "");
}

TEST_F(ExportCli, HelpNamesBothCommands)
{
    const CliRun run = runCli(dir, {"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_THAT(run.out, HasSubstr("export"));
    EXPECT_THAT(run.out, HasSubstr("import"));
    EXPECT_THAT(run.out, HasSubstr("demo-timetable"));
    EXPECT_THAT(run.out, HasSubstr("no es un programa de horarios"));
    EXPECT_THAT(run.out, HasSubstr("--verbose"));
    EXPECT_THAT(run.out, HasSubstr("--dir"));
}

TEST_F(ExportCli, WrongUsageExitsWithTwo)
{
    for (const std::vector<std::string>& args : {std::vector<std::string>{},
                                                 {"export"},
                                                 {"exportar", xmlFile},
                                                 {"export", xmlFile, "--dir"},
                                                 {"export", xmlFile, "--nada"},
                                                 {"export", xmlFile, "otro.xml"}}) {
        const CliRun run = runCli(dir, args);
        EXPECT_EQ(run.exitCode, 2) << testing::PrintToString(args);
        EXPECT_NE(run.err, "") << testing::PrintToString(args);
        EXPECT_TRUE(std::filesystem::is_empty(tables));
    }
}

} // namespace
} // namespace tmq::test
