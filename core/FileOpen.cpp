#include "core/FileOpen.h"

namespace tmq {

std::FILE* openFile(const std::string& utf8Path, const char* mode)
{
    return std::fopen(utf8Path.c_str(), mode);
}

} // namespace tmq
