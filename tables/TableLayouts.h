#pragma once

#include "tables/DbfTable.h"

#include <vector>

namespace tmq {

// Layouts of the tables the export writes, fields in order.
const std::vector<FieldDef>& asignomtLayout();
const std::vector<FieldDef>& proftLayout();
const std::vector<FieldDef>& aulatLayout();
const std::vector<FieldDef>& grupostLayout();
const std::vector<FieldDef>& asigtLayout();
const std::vector<FieldDef>& diashorastLayout();

// The timetable's SOLUC as the stand-in timetable and the benchmark write it.
const std::vector<FieldDef>& solucLayout();

} // namespace tmq
