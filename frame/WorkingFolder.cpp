#include "frame/WorkingFolder.h"

#include <cstdlib>

namespace tmq {

std::filesystem::path defaultWorkingFolder()
{
#ifdef _WIN32
    return std::filesystem::path("C:\\MTEMP");
#else
    std::filesystem::path prefix;
    if (const char* wine = std::getenv("WINEPREFIX"); wine != nullptr && *wine != '\0') {
        prefix = wine;
    } else {
        const char* home = std::getenv("HOME");
        prefix = std::filesystem::path(home != nullptr ? home : "") / ".wine";
    }
    return prefix / "drive_c" / "MTEMP";
#endif
}

std::filesystem::path xmlDialogFolder(const std::filesystem::path& workingFolder)
{
    return workingFolder / "XML";
}

std::string resultPathFor(const std::string& chosenFile)
{
#ifdef _WIN32
    const auto cut = chosenFile.find_last_of("\\/:");
#else
    const auto cut = chosenFile.find_last_of('/');
#endif
    const std::size_t nameStart = cut == std::string::npos ? 0 : cut + 1;
    return chosenFile.substr(0, nameStart) + "ResultadoMirtav" + chosenFile.substr(nameStart);
}

} // namespace tmq
