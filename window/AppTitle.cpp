#include "window/AppTitle.h"

#include "base/CaseFold.h"
#include "base/Cp1252.h"

namespace tmq {

std::string applicationTitle(const std::string& executablePath)
{
    // Both separators count: a Windows path may reach us on any platform.
    const auto slash = executablePath.find_last_of("/\\");
    std::string name =
        slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    if (const auto dot = name.find('.'); dot != std::string::npos)
        name.erase(dot);
    // Lower the letters in the 8-bit code page, where one character is one byte.
    std::string ansi = utf8ToCp1252(name);
    if (ansi.size() > 1)
        ansi = ansi.front() + foldCaseCp1252(std::string_view(ansi).substr(1));
    return cp1252ToUtf8(ansi);
}

} // namespace tmq
