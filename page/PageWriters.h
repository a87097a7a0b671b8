#pragma once

// The files of the timetable page, each written piece by piece into a sink:
// self-contained HTML documents in Spanish and UTF-8, their style inline,
// with no script and nothing to fetch but each other.

#include "page/PageParts.h"
#include "page/TimetableView.h"

namespace tmq {

// The index: the counts and marks, the alphabetical index of every grid,
// the two views, then what does not pass, folded, each list with its count.
void writeIndexPage(const TimetableView& view, const PageStamp& stamp, const PageSetNames& names,
                    const PageSink& sink);

// Every grid of one kind, in alphabetical order, one a printed sheet.
void writeGridPage(const TimetableView& view, const PageStamp& stamp, const PageSetNames& names,
                   TimetableView::Kind kind, const PageSink& sink);

// For every slot of the week, the teachers free then who teach earlier and
// later that day: those who can cover an absence.
void writeFreeTeachersPage(const TimetableView& view, const PageStamp& stamp,
                           const PageSetNames& names, const PageSink& sink);

// One table of the whole staff: a teacher a row, a slot of the week a
// column, each cell the group taught or the clash.
void writeStaffPage(const TimetableView& view, const PageStamp& stamp, const PageSetNames& names,
                    const PageSink& sink);

} // namespace tmq
