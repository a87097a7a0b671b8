#include "frame/WorkingFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tmq {
namespace {

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

} // namespace
} // namespace tmq
