#include "core/AppTitle.h"

#include <cctype>

namespace tmq {

std::string applicationTitle(const std::string& executablePath)
{
    // Both separators count: a Windows path may reach us on any platform.
    const auto slash = executablePath.find_last_of("/\\");
    std::string name = slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    if (const auto dot = name.find('.'); dot != std::string::npos)
        name.erase(dot);
    for (std::size_t i = 1; i < name.size(); ++i)
        name[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(name[i])));
    return name;
}

} // namespace tmq
