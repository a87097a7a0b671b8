#pragma once

#include "page/TimetableView.h"

#include <functional>
#include <string>
#include <string_view>

namespace tmq {

// Writes the page of `view` piece by piece into `sink`: one self-contained
// HTML document in Spanish and UTF-8, its style inline, with no script and
// nothing to fetch. `folder` (UTF-8) is the working folder it was read from.
void writeTimetableHtml(const TimetableView& view, const std::string& folder,
                        const std::function<void(std::string_view)>& sink);

} // namespace tmq
