#include "page/PageWriters.h"

namespace tmq {

namespace {

using Kind = TimetableView::Kind;

// Which cells of the grid each teacher teaches in, and per weekday the
// first and last row taught: enough to tell a free period from the time
// before the day starts or after it ends.
class StaffWeek {
public:
    explicit StaffWeek(const TimetableView& view)
        : cells_(view.cellCount()), columns_(view.weekdays.size()),
          taught_(view.teachers.size() * cells_, 0),
          first_(view.teachers.size() * columns_, SIZE_MAX),
          last_(view.teachers.size() * columns_, 0)
    {
        for (const TimetableView::Lesson& lesson : view.lessons) {
            if (lesson.cell == TimetableView::kOutside)
                continue;
            ++taught_[lesson.teacher * cells_ + lesson.cell];
            const std::size_t row = lesson.cell / columns_;
            const std::size_t day = lesson.teacher * columns_ + lesson.cell % columns_;
            first_[day] = std::min(first_[day], row);
            last_[day] = std::max(last_[day], row);
        }
    }

    std::uint32_t lessonsAt(std::uint32_t teacher, std::size_t cell) const
    {
        return taught_[teacher * cells_ + cell];
    }

    // Free at the cell and teaching earlier and later the same weekday.
    bool freeBetweenLessons(std::uint32_t teacher, std::size_t cell) const
    {
        const std::size_t row = cell / columns_;
        const std::size_t day = teacher * columns_ + cell % columns_;
        return lessonsAt(teacher, cell) == 0 && first_[day] != SIZE_MAX && first_[day] < row &&
               row < last_[day];
    }

private:
    std::size_t cells_;
    std::size_t columns_;
    std::vector<std::uint32_t> taught_;
    std::vector<std::size_t> first_;
    std::vector<std::size_t> last_;
};

void hourWords(std::string& out, const TimetableView& view, std::size_t row)
{
    out += "hora " + std::to_string(view.hours[row].hour);
    if (!view.hours[row].times.empty())
        out += " (" + view.hours[row].times + ")";
}

} // namespace

void writeFreeTeachersPage(const TimetableView& view, const PageStamp& stamp,
                           const PageSetNames& names, const PageSink& sink)
{
    PageText page(sink);
    std::string& out = *page;
    openPage(out, "Horario de Mirtavel: profesores libres por tramo", stamp, hrefOf(names.index));
    out += "<p>En cada tramo, los profesores sin clase entonces que tienen clase antes y después "
           "ese mismo día: los que pueden cubrir una ausencia.</p>\n";
    const StaffWeek week(view);
    const NameOrder order = alphabetical(view.teachers);
    const std::size_t columns = view.weekdays.size();
    for (std::size_t column = 0; column < columns; ++column) {
        const char* weekday = kWeekdayTitles[static_cast<std::size_t>(view.weekdays[column])];
        out += std::string("<section aria-labelledby=\"h-d") + std::to_string(column + 1) +
               "\">\n<h2 id=\"h-d" + std::to_string(column + 1) + "\">" + weekday + "</h2>\n";
        for (std::size_t row = 0; row < view.hours.size(); ++row) {
            const std::size_t cell = row * columns + column;
            if (view.cellSlots[cell] < 0)
                continue;
            std::vector<std::uint32_t> free;
            for (const std::uint32_t teacher : order.order)
                if (week.freeBetweenLessons(teacher, cell))
                    free.push_back(teacher);
            out += std::string("<h3>") + weekday + ", ";
            hourWords(out, view, row);
            out += ": " + plural(free.size(), "profesor", "profesores") + "</h3>\n<p>";
            for (std::size_t i = 0; i < free.size(); ++i) {
                if (i > 0)
                    out += " · ";
                appendShownName(out, view.teachers[free[i]], order.repeated[free[i]]);
            }
            out += free.empty() ? "Ninguno.</p>\n" : "</p>\n";
            page.flushIfLarge();
        }
        out += "</section>\n";
    }
    closePage(out);
    page.finish();
}

void writeStaffPage(const TimetableView& view, const PageStamp& stamp, const PageSetNames& names,
                    const PageSink& sink)
{
    PageText page(sink);
    std::string& out = *page;
    openPage(out, "Horario de Mirtavel: toda la plantilla", stamp, hrefOf(names.index));
    out += "<p>Un profesor por fila y un tramo de la semana por columna: en cada casilla, el "
           "grupo (su código en SOLUC); con borde doble y el número de clases, un choque; con "
           "borde de puntos y rayado, un día y hora que DIASHORAST no tiene.</p>\n";
    const StaffWeek week(view);
    const NameOrder order = alphabetical(view.teachers);
    const std::size_t columns = view.weekdays.size();
    // The group of each teacher's lesson at each cell, for the one lesson case.
    std::vector<std::uint32_t> groupAt(view.teachers.size() * view.cellCount(), 0);
    for (const TimetableView::Lesson& lesson : view.lessons)
        if (lesson.cell != TimetableView::kOutside)
            groupAt[lesson.teacher * view.cellCount() + lesson.cell] = lesson.group;

    // Too wide for a narrow screen: it scrolls sideways in its own box,
    // which the keyboard can reach.
    out += "<div class=\"marco\" tabindex=\"0\" role=\"region\" aria-label=\"Toda la "
           "plantilla\">\n<table class=\"plantilla\">\n<caption>Toda la plantilla, "
           "semana completa</caption>\n<colgroup><col class=\"n\"><col span=\"" +
           std::to_string(columns * view.hours.size()) + "\"></colgroup>\n<thead>\n<tr><td></td>";
    for (const int weekday : view.weekdays)
        out += "<th scope=\"colgroup\" colspan=\"" + std::to_string(view.hours.size()) + "\">" +
               kWeekdayTitles[static_cast<std::size_t>(weekday)] + "</th>";
    out += "</tr>\n<tr><th scope=\"col\">Profesor</th>";
    for (std::size_t column = 0; column < columns; ++column)
        for (const TimetableView::Hour& hour : view.hours)
            out += "<th scope=\"col\">" + std::to_string(hour.hour) + "</th>";
    out += "</tr>\n</thead>\n<tbody>\n";
    for (const std::uint32_t teacher : order.order) {
        out += "<tr><th scope=\"row\">";
        appendShownName(out, view.teachers[teacher], order.repeated[teacher]);
        out += "</th>";
        // Column by column of the table: a weekday, then its hours.
        for (std::size_t column = 0; column < columns; ++column) {
            for (std::size_t row = 0; row < view.hours.size(); ++row) {
                const std::size_t cell = row * columns + column;
                const std::uint32_t lessons = week.lessonsAt(teacher, cell);
                // The marks' words are for screen readers; on screen and paper
                // the borders and the legend say them, in a narrow column.
                if (lessons > 1) {
                    out += "<td class=\"x\"><span class=\"oculto\">choque: </span>";
                    appendNumber(out, lessons);
                    out += "</td>";
                } else if (lessons == 1) {
                    out += "<td>";
                    out += view.groups[groupAt[teacher * view.cellCount() + cell]].code;
                    out += "</td>";
                } else if (view.cellSlots[cell] < 0) {
                    out += "<td class=\"v\"><span class=\"oculto\">sin tramo</span></td>";
                } else {
                    out += "<td></td>";
                }
            }
        }
        out += "</tr>\n";
        page.flushIfLarge();
    }
    out += "</tbody>\n</table>\n</div>\n";
    closePage(out);
    page.finish();
}

} // namespace tmq
