// transmirtavquelmar-cli import: what it prints, its exit codes, and a
// result folder the user may not write to, tried as an unprivileged user;
// and report, the page of what the import would send: where it goes, how it
// is opened, and its errors, which are the import's.

#include "support/SolucTables.h"
#include "support/TestSupport.h"
#include "tables/DbfTable.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

namespace tmq::test {
namespace {

using testing::HasSubstr;
namespace fs = std::filesystem;

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs `args` (the program first) with its output caught in files of `scratch`.
Outcome run(const std::vector<std::string>& args, const fs::path& scratch)
{
    const fs::path outPath = scratch / "stdout.txt";
    const fs::path errPath = scratch / "stderr.txt";
    const pid_t child = fork();
    if (child == 0) {
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out < 0 || err < 0)
            _exit(127);
        dup2(out, STDOUT_FILENO);
        dup2(err, STDERR_FILENO);
        std::vector<char*> argv;
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    Outcome outcome;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
        outcome.exitCode = WEXITSTATUS(status);
    outcome.out = readFile(outPath);
    outcome.err = readFile(errPath);
    return outcome;
}

// A school exported from the sample and given a timetable by the stand-in:
// the document in "xml", the tables in "mtemp", the caught output in "salida".
class CliSchool {
public:
    CliSchool()
    {
        fs::create_directory(work());
        fs::create_directory(xmlFolder());
        fs::create_directory(scratch());
        fs::copy_file(TMQ_EXAMPLES "/centro.xml", document());
    }

    fs::path work() const { return dir_ / "mtemp"; }
    fs::path xmlFolder() const { return dir_ / "xml"; }
    fs::path scratch() const { return dir_ / "salida"; }
    fs::path document() const { return xmlFolder() / "centro.xml"; }
    fs::path result() const { return xmlFolder() / "ResultadoMirtavcentro.xml"; }
    const fs::path& root() const { return dir_.path(); }

    Outcome cli(const std::string& command, const fs::path& file,
                const std::vector<std::string>& prefix = {},
                const std::vector<std::string>& options = {}) const
    {
        std::vector<std::string> args = prefix;
        for (const std::string& arg :
             {program_.string(), command, file.string(), std::string("--dir"), work().string()})
            args.push_back(arg);
        args.insert(args.end(), options.begin(), options.end());
        return run(args, scratch());
    }

    // Exports the sample and lets the stand-in timetable fill SOLUC.
    void exportAndPlan() const
    {
        ASSERT_EQ(cli("export", document()).exitCode, 0);
        const Outcome plan =
            run({program_.string(), "demo-timetable", "--dir", work().string()}, scratch());
        ASSERT_EQ(plan.exitCode, 0) << plan.err;
        ASSERT_THAT(plan.out, HasSubstr("43 sesiones colocadas, 0 sin colocar"));
    }

    std::vector<std::string> xmlFolderNames() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(xmlFolder()))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    // Runs a copy of the program kept in the temporary folder, which another
    // user can reach wherever the build folder is.
    void useCopyOfProgram()
    {
        program_ = dir_ / "transmirtavquelmar-cli";
        fs::copy_file(TMQ_CLI, program_);
    }

private:
    TempDir dir_;
    fs::path program_ = TMQ_CLI;
};

TEST(ImportCli, PrintsTheFinalMessageAndExitsWithZero)
{
    CliSchool school;
    school.exportAndPlan();

    const Outcome outcome = school.cli("import", school.document());

    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.out, "Proceso Terminado\n");
    EXPECT_EQ(outcome.err, "");
    EXPECT_THAT(readFile(school.result()), HasSubstr("<listasal seq=\"EMPLEADO_7\">"));
}

TEST(ImportCli, VerboseTellsTheActivitiesAndTheCodesWithoutPartner)
{
    CliSchool school;
    school.exportAndPlan();
    {
        // Lessons whose codes the other tables lack, one without a day and
        // one of a teacher PROFT does not know, after the stand-in's.
        DbfTable soluc;
        soluc.open(school.work(), "SOLUC");
        for (const auto& [prof, asig, dia, hora, aula, grupo] :
             {std::tuple{"MNP", "NADA", 1, 99, "X9", "G9"},
              std::tuple{"MNP", "MAT", 0, 0, "A1", "1A"},
              std::tuple{"ZZZ", "MAT", 1, 1, "A1", "1A"}}) {
            soluc.append();
            soluc.setText("PROF", prof);
            soluc.setText("ASIG", asig);
            soluc.setFloat("DIA", dia);
            soluc.setFloat("HORA", hora);
            soluc.setText("AULA", aula);
            soluc.setText("CODGRUPO", grupo);
            soluc.post();
        }
    }

    const Outcome outcome = school.cli("import", school.document(), {}, {"--verbose"});

    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    for (const char* line :
         {"EMPLEADO_1: profesor 'MNP' (X_EMPLEADO '10234'), 13 actividades escritas\n",
          "profesor 'MNP', ACTIVIDAD_13: la asignatura 'NADA' de SOLUC no está en ASIGNOMT",
          "profesor 'MNP', ACTIVIDAD_13: el tramo 'L99' de SOLUC no está en DIASHORAST",
          "profesor 'MNP', ACTIVIDAD_13: el aula 'X9' de SOLUC no está en AULAT",
          "profesor 'MNP', ACTIVIDAD_13: el grupo 'G9' de SOLUC no está en GRUPOST",
          "profesor 'MNP': fila 45 de SOLUC con DIA 0 (sin colocar): pasada por alto\n",
          "SOLUC: 1 fila del profesor 'ZZZ', que no está en PROFT: no pasan al resultado\n",
          "Resultado: 7 profesores, 44 actividades\nProceso Terminado\n"})
        EXPECT_THAT(outcome.out, HasSubstr(line));
    EXPECT_EQ(outcome.err, "");
}

// The page's document is optional, but one named that does not exist is
// refused as the import refuses it, before anything is written.
TEST(ImportCli, MissingFileGoesToStandardErrorWithOne)
{
    CliSchool school;
    school.exportAndPlan();
    const fs::path page = school.xmlFolder() / "semana.html";

    for (const auto& [command, options] :
         {std::pair<std::string, std::vector<std::string>>{"import", {}},
          {"report", {"--out", page.string()}}}) {
        SCOPED_TRACE(command);
        const Outcome outcome = school.cli(command, school.xmlFolder() / "falta.xml", {}, options);

        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.out, "");
        EXPECT_EQ(outcome.err, "No existe archivo\n");
        EXPECT_EQ(school.xmlFolderNames(), std::vector<std::string>{"centro.xml"});
    }
}

TEST(ImportCli, ErrorGoesToStandardErrorWithTwo)
{
    CliSchool school;
    school.exportAndPlan();
    fs::remove(school.work() / "SOLUC.DBF");

    const Outcome outcome = school.cli("import", school.document());

    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_THAT(outcome.err, HasSubstr("wwTableSoluc"));
    EXPECT_FALSE(fs::exists(school.result()));
}

// Whether `user` can create a file in `folder`, found out by trying.
bool canCreateIn(const fs::path& folder, const std::vector<std::string>& asUser,
                 const fs::path& scratch)
{
    std::vector<std::string> args = asUser;
    args.insert(args.end(),
                {"/bin/sh", "-c", "touch \"$0/sonda\" && rm \"$0/sonda\"", folder.string()});
    return run(args, scratch).exitCode == 0;
}

TEST(ImportCli, UnwritableResultFolderLeavesTheOlderResultIntact)
{
    // Root writes through permission bits; run as nobody so that they count.
    std::vector<std::string> asUser;
    if (geteuid() == 0)
        asUser = {"setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups", "--"};

    for (const bool writable : {true, false}) {
        SCOPED_TRACE(writable ? "writable folder" : "read-only folder");
        CliSchool school;
        school.exportAndPlan();
        const std::string older = "<?xml version=\"1.0\"?>\n<resultado>anterior</resultado>\n";
        writeFile(school.result(), older);

        // Everything reachable and the tables writable by the user; the
        // document folder readable and traversable, writable only in the
        // control case. The older result itself stays writable: only a save
        // that writes beside it and then renames is kept from touching it.
        using fs::perms;
        const perms readWrite = perms::owner_read | perms::owner_write | perms::group_read |
                                perms::group_write | perms::others_read | perms::others_write;
        const perms readOnlyFolder = perms::owner_read | perms::owner_exec | perms::group_read |
                                     perms::group_exec | perms::others_read | perms::others_exec;
        school.useCopyOfProgram();
        for (const fs::path& folder : {school.root(), school.work(), school.scratch()})
            fs::permissions(folder, perms::all);
        for (const auto& entry : fs::directory_iterator(school.work()))
            fs::permissions(entry.path(), readWrite);
        fs::permissions(school.result(), readWrite);
        fs::permissions(school.xmlFolder(), writable ? perms::all : readOnlyFolder);

        ASSERT_EQ(canCreateIn(school.xmlFolder(), asUser, school.scratch()), writable)
            << "the folder's permissions do not hold for the user running the program";

        const Outcome outcome = school.cli("import", school.document(), asUser);

        if (writable) {
            EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
            EXPECT_THAT(readFile(school.result()), HasSubstr("EMPLEADO_1"));
        } else {
            EXPECT_EQ(outcome.exitCode, 2);
            EXPECT_THAT(outcome.err, HasSubstr("'" + school.result().string() + "'"));
            EXPECT_THAT(outcome.err, HasSubstr("permiso denegado"));
            EXPECT_EQ(readFile(school.result()), older);
        }
        EXPECT_EQ(school.xmlFolderNames(),
                  (std::vector<std::string>{"ResultadoMirtavcentro.xml", "centro.xml"}));
        fs::permissions(school.xmlFolder(), perms::owner_all, fs::perm_options::add);
    }
}

// Runs `report` with `options` in an environment of its own: the temporary
// folder and, first on the path, an xdg-open that notes its arguments and
// exits with `openExit`.
Outcome report(const CliSchool& school, const std::vector<std::string>& options, int openExit = 0)
{
    const fs::path bin = school.scratch() / "bin";
    fs::create_directories(bin);
    fs::create_directories(school.scratch() / "tmp");
    writeFile(bin / "xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" >>\"$0.log\"\nexit " +
                                    std::to_string(openExit) + "\n");
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    std::vector<std::string> args{"env",
                                  "TMPDIR=" + (school.scratch() / "tmp").string(),
                                  "PATH=" + bin.string() + ":/usr/bin:/bin",
                                  TMQ_CLI,
                                  "report",
                                  "--dir",
                                  school.work().string()};
    args.insert(args.end(), options.begin(), options.end());
    return run(args, school.scratch());
}

TEST(ReportCli, WritesThePageWhereAskedPrintsItsPathAndOpensIt)
{
    CliSchool school;
    school.exportAndPlan();
    const fs::path inTemp = school.scratch() / "tmp" / "HorarioMirtavel.html";
    const fs::path named = school.scratch() / "semana.html";
    struct Case {
        const char* name;
        std::vector<std::string> options;
        fs::path page;
        bool opened;
        const char* school = ""; // what the pages say of the school
    };
    for (const Case& c :
         {Case{"default", {}, inTemp, false},
          Case{"--out", {"--out", named.string()}, named, false},
          Case{"--out= and --open", {"--out=" + named.string(), "--open"}, named, true},
          Case{"--open alone", {"--open"}, inTemp, true},
          Case{"with the document",
               {school.document().string(), "--out", named.string()},
               named,
               false,
               "Centro: <b>IES Peñas Blancas</b> · curso <b>2026</b>"}}) {
        SCOPED_TRACE(c.name);
        fs::remove(c.page);
        fs::remove(school.scratch() / "bin" / "xdg-open.log");

        const Outcome outcome = report(school, c.options);

        EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
        EXPECT_EQ(outcome.out, c.page.string() + "\n");
        EXPECT_THAT(readFile(c.page), HasSubstr("<h1>Horario de Mirtavel</h1>"));
        EXPECT_THAT(readFile(c.page), HasSubstr(c.school));
        const fs::path opened = school.scratch() / "bin" / "xdg-open.log";
        EXPECT_EQ(fs::exists(opened) ? readFile(opened) : "",
                  c.opened ? c.page.string() + "\n" : "");
    }
}

TEST(ReportCli, SaysWhenNoBrowserOpensThePageAndKeepsIt)
{
    CliSchool school;
    school.exportAndPlan();

    const Outcome outcome = report(school, {"--open"}, 3);

    const std::string page = (school.scratch() / "tmp" / "HorarioMirtavel.html").string();
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "No se puede abrir la página '" + page +
                               "' en el navegador: xdg-open no encontró un navegador que la abra "
                               "(terminó con el código 3)\n");
    EXPECT_TRUE(fs::exists(page));
}

TEST(ReportCli, RefusesWhatTheImportRefusesWithItsMessage)
{
    CliSchool school;
    school.exportAndPlan();
    fs::remove(school.work() / "GRUPOST.DBF");

    const Outcome page = report(school, {});
    const Outcome import = school.cli("import", school.document());

    EXPECT_EQ(page.exitCode, 2);
    EXPECT_EQ(page.out, "");
    EXPECT_THAT(page.err, HasSubstr("wwTableGrupos"));
    EXPECT_EQ(page.err, import.err);
    EXPECT_FALSE(fs::exists(school.scratch() / "tmp" / "HorarioMirtavel.html"));
}

TEST(ReportCli, PageOptionsAreReportsOnly)
{
    CliSchool school;

    const Outcome outcome = school.cli("import", school.document(), {}, {"--out", "x.html"});

    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_THAT(outcome.err, HasSubstr("--out y --open son solo del comando report"));
}

} // namespace
} // namespace tmq::test
