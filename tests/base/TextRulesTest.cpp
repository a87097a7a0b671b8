#include "base/CaseFold.h"
#include "base/Error.h"
#include "export/Sessions.h"
#include "frame/WorkingFolder.h"
#include "window/AppTitle.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>

namespace tmq {
namespace {

TEST(ApplicationTitle, DerivedFromTheExecutableName)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"C:\\Programas\\TransMirtavQuelmar.exe", "Transmirtavquelmar"},
        {"/usr/local/bin/TransMirtavQuelmar", "Transmirtavquelmar"},
        {"/opt/tm/transMirtav.v2.exe", "transmirtav"},
        {"ÑANDÚ.exe", "Ñandú"},
        {"x", "x"},
        {".hidden", ""},
    };
    for (const auto& [path, title] : cases)
        EXPECT_EQ(applicationTitle(path), title) << path;
}

TEST(ErrorReport, SystemReasonsAreSpanishUnderTheCLocale)
{
    for (const int error : {ENOENT, EACCES, EPERM, EROFS, ENOSPC, EEXIST, EBUSY, EAGAIN, EIO, EXDEV,
                            ENOTEMPTY, EINVAL, EFBIG, ENOLCK, EPIPE, ECONNRESET}) {
        const std::string reason = systemReason(error);
        EXPECT_EQ(reason.find(std::strerror(error)), std::string::npos) << reason;
        EXPECT_FALSE(reason.empty()) << error;
    }
}

TEST(ErrorReport, OtherExceptionsShowSpanishText)
{
    const std::filesystem::filesystem_error failure(
        "filesystem error: cannot remove", "/tmp/MTEMP/ASIGT.DBF",
        std::make_error_code(std::errc::no_space_on_device));
    const std::vector<std::pair<std::string, std::string>> cases{
        {userText(Error("Falta la tabla")), "Falta la tabla"},
        {userText(failure),
         "Error con el archivo '/tmp/MTEMP/ASIGT.DBF': no queda espacio en el disco"},
        {userText(std::bad_alloc()), "No hay memoria suficiente para terminar el proceso"},
        {userText(std::logic_error("vector::_M_range_check")),
         "Error interno inesperado; el proceso se ha interrumpido"},
    };
    for (const auto& [shown, expected] : cases)
        EXPECT_EQ(shown, expected);
}

TEST(ErrorReport, FullStopOnlyAfterCharactersSortingAfterIt)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"", ""},
        {"Falta la tabla", "Falta la tabla."},
        {"Ya termina.", "Ya termina."},
        {"wwTableSoluc: No se encuentra el campo 'CODGRUPO'",
         "wwTableSoluc: No se encuentra el campo 'CODGRUPO'"},
        {"línea 3", "línea 3."},
        {"¿qué?", "¿qué?."},
        {"(sin datos)", "(sin datos)"},
        {"acaba en canción", "acaba en canción."},
    };
    for (const auto& [message, shown] : cases)
        EXPECT_EQ(errorReportText(message), shown) << message;
}

TEST(ResultPath, PrefixGoesBeforeTheFileName)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"/home/ana/envios/centro.xml", "/home/ana/envios/ResultadoMirtavcentro.xml"},
        {"/centro.xml", "/ResultadoMirtavcentro.xml"},
        {"centro.xml", "ResultadoMirtavcentro.xml"},
        {"/a/ResultadoMirtavcentro.xml", "/a/ResultadoMirtavResultadoMirtavcentro.xml"},
        {"/a.b/sin_extension", "/a.b/ResultadoMirtavsin_extension"},
    };
    for (const auto& [chosen, result] : cases)
        EXPECT_EQ(resultPathFor(chosen), result) << chosen;
}

#ifdef _WIN32
TEST(ResultPath, WindowsSplitsAtEitherSlashOrTheDriveColon)
{
    const std::vector<std::pair<std::string, std::string>> cases{
        {"C:\\Datos\\Año 2024\\centro.xml", "C:\\Datos\\Año 2024\\ResultadoMirtavcentro.xml"},
        {"C:/Datos\\mixto/centro.xml", "C:/Datos\\mixto/ResultadoMirtavcentro.xml"},
        {"D:centro.xml", "D:ResultadoMirtavcentro.xml"},
        {"\\\\servidor\\compartida\\ñu.xml", "\\\\servidor\\compartida\\ResultadoMirtavñu.xml"},
    };
    for (const auto& [chosen, result] : cases)
        EXPECT_EQ(resultPathFor(chosen), result) << chosen;
}

TEST(WorkingFolder, IsTheTimetableProgramsFolderOnDriveC)
{
    EXPECT_EQ(defaultWorkingFolder(), std::filesystem::path("C:\\MTEMP"));
}
#else
TEST(WorkingFolder, FollowsTheCompatibilityLayerPrefix)
{
    const char* oldPrefix = std::getenv("WINEPREFIX");
    const std::string saved = oldPrefix ? oldPrefix : "";
    setenv("WINEPREFIX", "/srv/escuela/wine", 1);
    EXPECT_EQ(defaultWorkingFolder(), std::filesystem::path("/srv/escuela/wine/drive_c/MTEMP"));
    unsetenv("WINEPREFIX");
    const char* home = std::getenv("HOME");
    EXPECT_EQ(defaultWorkingFolder(),
              std::filesystem::path(home ? home : "") / ".wine" / "drive_c" / "MTEMP");
    if (oldPrefix)
        setenv("WINEPREFIX", saved.c_str(), 1);
}
#endif

TEST(CaseFold, IgnoresLetterCaseButNotAccents)
{
    struct Case {
        std::string a, b;
        bool same;
    };
    // Windows-1252 bytes: \xC1 Á, \xE1 á, \xD1 Ñ, \xF1 ñ, \x8A Š, \x9A š, \xD7 ×, \xF7 ÷.
    const std::vector<Case> cases{
        {"MAT1", "mat1", true},
        {"Mat1", "MAT1", true},
        {"\xC1"
         "B",
         "\xE1"
         "b",
         true},
        {"\xD1"
         "U",
         "\xF1"
         "u",
         true},
        {"\x8A", "\x9A", true},
        {"\xC1", "A", false},
        {"\xE1", "a", false},
        {"\xD7", "\xF7", false},
        {"MAT1", "MAT1 ", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(foldCaseCp1252(c.a) == foldCaseCp1252(c.b), c.same) << c.a << " / " << c.b;
}

TEST(Sessions, RunOfOnesWithTheExcessWrittenAsANumber)
{
    const std::vector<std::pair<double, std::string>> cases{
        {1.0, "1"},
        {1.0167, "11"},
        {3.0, "111"},
        {3.3333, "1111"},
        {13.0, std::string(13, '1')},
        {13.0167, std::string(14, '1')},
        {14.0, std::string(14, '1')},
        {20.0, "7" + std::string(13, '1')},
        {23.0, "10" + std::string(13, '1')},
    };
    for (const auto& [hours, text] : cases)
        EXPECT_EQ(sessionsText(hours), text) << hours;
}

} // namespace
} // namespace tmq
