#pragma once

#include "win32/Win.h"

#include <optional>
#include <string>

namespace tmq::win32 {

// The system's open-file dialog "Archivo XML" for one XML file. It opens in
// `initialFolder` when that is not empty, else where the user left it. A
// typed name of a file that does not exist is returned too.
std::optional<std::wstring> chooseXmlFileIn(HWND owner, const std::wstring& initialFolder);

} // namespace tmq::win32
