#pragma once

#include <string>

namespace tmq {

// The application title derived from the executable's path: folder dropped,
// name cut at its first ".", every character after the first in lower case.
std::string applicationTitle(const std::string& executablePath);

} // namespace tmq
