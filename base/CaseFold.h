#pragma once

#include <string>
#include <string_view>

namespace tmq {

// Windows-1252 text with every capital letter turned to its small letter,
// accented ones included, so that two texts differing only in letter case
// fold to the same text. Accents are kept: "Á" folds to "á", not "a".
std::string foldCaseCp1252(std::string_view text);

} // namespace tmq
