#pragma once

#include "win32/Win.h"

#include <string>

namespace tmq::win32 {

// The information box: no icon and one button "Aceptar", which Enter, Space
// and Escape all press.
void showInformationBox(HWND owner, const std::wstring& title, const std::wstring& text);

// The error report: the error icon and the system's OK button. Both boxes
// are centred on the screen and wide enough for their caption.
void showErrorBox(HWND owner, const std::wstring& title, const std::wstring& text);

} // namespace tmq::win32
