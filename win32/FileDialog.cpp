#include "win32/FileDialog.h"

#include "base/WideText.h"
#include "window/WindowLayout.h"

#include <commdlg.h>

#include <vector>

namespace tmq::win32 {

std::optional<std::wstring> chooseXmlFileIn(HWND owner, const std::wstring& initialFolder)
{
    static const std::wstring title = toWide(layout::kFileDialogTitle);
    static const std::wstring extension = toWide(layout::kDefaultExtension);
    // Description and pattern are the same text, each ended by a null, and
    // the list ended by one more.
    const std::wstring pattern = toWide(layout::kFileFilterPattern);
    const std::wstring filter = pattern + L'\0' + pattern + L'\0';

    // Room for long paths, not only MAX_PATH.
    std::vector<wchar_t> file(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = static_cast<DWORD>(file.size());
    dialog.lpstrInitialDir = initialFolder.empty() ? nullptr : initialFolder.c_str();
    dialog.lpstrTitle = title.c_str();
    dialog.lpstrDefExt = extension.c_str();
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&dialog))
        return std::nullopt;
    return std::wstring(file.data());
}

} // namespace tmq::win32
