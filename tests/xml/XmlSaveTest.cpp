#include "base/Error.h"
#include "base/PlatformFiles.h"
#include "support/TestSupport.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <csignal>
#include <filesystem>
#include <string>

namespace tmq {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempDir;
using test::writeFile;

const char* const document =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<SERVICIO>nuevo</SERVICIO>\n";
const char* const older = "contenido anterior";

std::size_t entriesIn(const fs::path& folder)
{
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}

#ifndef _WIN32
TEST(XmlSave, ReplacesAnOlderFileWithOrdinaryPermissions)
{
    TempDir dir;
    const fs::path target = dir / "ResultadoMirtavcentro.xml";
    writeFile(target, older);
    ::chmod(target.c_str(), 0600);
    const auto doc = XmlDocument::parse(document, "centro.xml");

    const mode_t previous = ::umask(027);
    doc->save(target.string());
    ::umask(previous);

    EXPECT_EQ(readFile(target), document);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
    struct stat status {};
    ASSERT_EQ(::stat(target.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0640u);
}

#endif

TEST(XmlSave, FolderThatDoesNotExistIsReported)
{
    TempDir dir;
    const std::string target = (dir / "no-existe" / "resultado.xml").string();
    const auto doc = XmlDocument::parse(document, "centro.xml");
    try {
        doc->save(target);
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), "No se puede guardar el archivo '" + target +
                                                 "': no existe el archivo o la carpeta");
    }
}

TEST(XmlSave, FailedRenameLeavesNoTemporaryFile)
{
    TempDir dir;
    const fs::path target = dir / "resultado.xml";
    fs::create_directory(target);
    writeFile(target / "dentro.txt", older);
    const auto doc = XmlDocument::parse(document, "centro.xml");
    try {
        doc->save(target.string());
        FAIL();
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what())
                      .rfind("No se puede guardar el archivo '" + target.string() + "': ", 0),
                  0u)
            << error.what();
    }
    EXPECT_EQ(entriesIn(dir.path()), 1u);
    EXPECT_EQ(readFile(target / "dentro.txt"), older);
}

#ifndef _WIN32

// Runs `save` in a child process prepared by `prepare`, and returns its exit
// code: 0 when the save threw the expected error.
template <typename Prepare>
int saveInChild(const XmlDocument& doc, const fs::path& target, const std::string& expected,
                Prepare prepare)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (!prepare())
            ::_exit(3);
        try {
            doc.save(target.string());
        } catch (const Error& error) {
            ::_exit(std::string(error.what()).rfind(expected, 0) == 0 ? 0 : 2);
        }
        ::_exit(1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// A write that fails half-way, here for a file-size limit, must not have
// touched the older file.
TEST(XmlSave, FailedWriteKeepsTheOlderFile)
{
    TempDir dir;
    const fs::path target = dir / "resultado.xml";
    writeFile(target, older);
    const auto doc =
        XmlDocument::parse("<SERVICIO>" + std::string(100000, 'x') + "</SERVICIO>", "grande.xml");
    const int result =
        saveInChild(*doc, target, "No se puede guardar el archivo '" + target.string() + "': ", [] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{4096, 4096};
            return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
        });
    EXPECT_EQ(result, 0) << "1: saved anyway, 2: wrong message";
    EXPECT_EQ(readFile(target), older);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

// Saves into a folder the saving user may not write to. Root may write
// anywhere, so the save runs in a child process without root's privileges.
TEST(XmlSave, ReadOnlyFolderKeepsTheOlderFile)
{
    TempDir dir;
    ::chmod(dir.path().c_str(), 0755);
    const fs::path folder = dir / "solo-lectura";
    fs::create_directory(folder);
    const fs::path target = folder / "resultado.xml";
    writeFile(target, older);
    ::chmod(target.c_str(), 0644);
    ::chmod(folder.c_str(), 0555);
    const auto doc = XmlDocument::parse(document, "centro.xml");

    const int result = saveInChild(
        *doc, target, "No se puede guardar el archivo '" + target.string() + "': permiso denegado",
        [] {
            return ::geteuid() != 0 ||
                   (::setresgid(65534, 65534, 65534) == 0 && ::setresuid(65534, 65534, 65534) == 0);
        });
    EXPECT_EQ(result, 0) << "1: saved anyway, 2: wrong message, 3: still root";
    EXPECT_EQ(readFile(target), older);
    EXPECT_EQ(entriesIn(folder), 1u);
    ::chmod(folder.c_str(), 0755);
}

#else

TEST(XmlSave, ProcessLimitsAndPermissions)
{
    GTEST_SKIP() << "umask, file permissions for an unprivileged user and file-size limits "
                    "exist on Linux only";
}

// Another program keeps the older file open without letting it be deleted
// (as a viewer does): it cannot be replaced, and nothing of it is lost.
TEST(XmlSave, OlderFileHeldByAnotherProgramIsKept)
{
    TempDir dir;
    const fs::path target = dir / "ResultadoMirtavAño ñ.xml";
    writeFile(target, older);
    const auto doc = XmlDocument::parse(document, "centro.xml");
    {
        test::HeldByAnotherProcess viewer(target, true);
        try {
            doc->save(pathToUtf8(target));
            FAIL() << "saved over a file another program holds";
        } catch (const Error& error) {
            EXPECT_EQ(
                std::string(error.what())
                    .rfind("No se puede guardar el archivo '" + pathToUtf8(target) + "': ", 0),
                0u)
                << error.what();
        }
        EXPECT_EQ(readFile(target), older);
        EXPECT_EQ(entriesIn(dir.path()), 1u);
    }
    doc->save(pathToUtf8(target));
    EXPECT_EQ(readFile(target), document);
    EXPECT_EQ(entriesIn(dir.path()), 1u);
}

#endif

} // namespace
} // namespace tmq
