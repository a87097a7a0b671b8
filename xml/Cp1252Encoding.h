#pragma once

namespace tmq {

// Teaches libxml2 Windows-1252 (also named CP1252) through the program's own
// conversion table, the one the tables use, so that documents in it load and
// save alike on every platform, with or without a system converter. Safe to
// call more than once and from any thread.
void registerCp1252Encoding();

} // namespace tmq
