#pragma once

#include <string>

namespace tmq {

// Opens the page at `path` (UTF-8) in the user's default browser: through
// the shell's "open" on Windows, through xdg-open elsewhere. Throws
// tmq::Error naming the page and saying why when it cannot be opened.
void openInDefaultBrowser(const std::string& path);

} // namespace tmq
