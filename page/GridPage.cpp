#include "page/PageWriters.h"

#include "page/PageParts.h"

#include <algorithm>

namespace tmq {

namespace {

using Kind = TimetableView::Kind;
using Entity = TimetableView::Entity;

// The file of every grid of one kind, in alphabetical order, one grid a
// printed sheet.
class GridPageWriter {
public:
    GridPageWriter(const TimetableView& view, const PageStamp& stamp, const PageSetNames& names,
                   Kind kind, const PageSink& sink)
        : view_(view), stamp_(stamp), names_(names), kind_(kind), page_(sink),
          out_(*page_), marks_(countGridMarks(view)),
          backToIndex_("<p class=\"volver\"><a href=\"" + hrefOf(names.index) +
                       "#indice\">Volver al índice</a></p>\n</section>\n")
    {
    }

    void write()
    {
        const std::string title = std::string("Horario de Mirtavel: ") + kindPlural(kind_);
        openPage(out_, title, stamp_, hrefOf(names_.index), "rejillas", false);
        out_ += "<p class=\"ayuda\">Impresa esta página, sale cada rejilla en una hoja. Para "
                "imprimir una sola, ábrala desde el índice (la dirección acaba en #p1, #g1 o "
                "#a1) e imprima.</p>\n";
        const NameOrder order = alphabetical(view_.entities(kind_));
        for (const std::uint32_t entity : order.order)
            grid(entity, order.repeated[entity]);
        closePage(out_);
        page_.finish();
    }

private:
    void grid(std::uint32_t entity, bool repeated)
    {
        const Entity& subject = view_.entities(kind_)[entity];
        view_.cellsOf(kind_, entity, cells_);
        // A group's or a room's lessons lie all over SOLUC, most of them not
        // in the cache. Copied side by side first, their loads overlap
        // instead of each waiting for memory in turn.
        lessons_.clear();
        for (const std::uint32_t lesson : cells_.order)
            lessons_.push_back(view_.lessons[lesson]);
        std::string id;
        appendGridId(id, kind_, entity);
        out_ += "<section class=\"rejilla\" id=\"" + id + "\" aria-labelledby=\"h-" + id +
                "\">\n<h2 id=\"h-" + id + "\">";
        out_ += kindWord(kind_);
        out_ += ": ";
        if (subject.missing)
            out_ += subject.cell;
        else
            appendShownName(out_, subject, repeated);
        out_ += "</h2>\n";
        appendStamp(out_, stamp_);
        out_ += "<p>";
        if (!subject.missing) {
            out_ += subject.codes;
            out_ += " · ";
        }
        appendPlural(out_, cells_.order.size(), "clase", "clases");
        appendMarkNote(out_, marks_[static_cast<std::size_t>(kind_)][entity], " · ", "");
        out_ += "</p>\n<div class=\"marco\">\n";
        out_ += tableTag();
        appendWeekHead(out_, view_);
        const std::size_t columns = view_.weekdays.size();
        for (std::size_t row = 0; row < view_.hours.size(); ++row) {
            const TimetableView::Hour& hour = view_.hours[row];
            out_ += "<tr><th scope=\"row\">Hora ";
            out_ += std::to_string(hour.hour);
            if (!hour.times.empty())
                ((out_ += "<span class=\"horas\">") += hour.times) += "</span>";
            out_ += "</th>";
            for (std::size_t column = 0; column < columns; ++column)
                cell(entity, static_cast<std::uint32_t>(row * columns + column));
            out_ += "</tr>\n";
        }
        out_ += "</tbody>\n</table>\n</div>\n";
        outside(entity);
        out_ += backToIndex_;
        page_.flushIfLarge();
    }

    // A grid too tall for its sheet is printed with each lesson run on; if it
    // has clashes, each clashed cell then shows its first lesson and how
    // many more the index's list of clashes names.
    const char* tableTag() const
    {
        if (fitsOneSheet())
            return "<table>";
        for (std::size_t cell = 0; cell < view_.cellCount(); ++cell)
            if (cells_.of(cell).size() > 1)
                return "<table class=\"densa plegada\">";
        return "<table class=\"densa\">";
    }

    // Whether the grid, printed with each lesson on about four lines
    // (subject, partners, codes that wrap), fits on an A4 landscape sheet at
    // 7 pt; a long week or one with clashes may not, and is then printed with
    // each lesson run on.
    bool fitsOneSheet() const
    {
        constexpr std::size_t kLinesOnASheet = 46; // 7 pt lines, after the heading
        const std::size_t columns = view_.weekdays.size();
        std::size_t lines = 2; // the row of weekdays
        for (std::size_t row = 0; row < view_.hours.size(); ++row) {
            std::size_t tallest = 2; // the hour and its times
            for (std::size_t column = 0; column < columns; ++column) {
                const std::size_t lessons = cells_.of(row * columns + column).size();
                tallest = std::max(tallest, lessons * 4 + (lessons > 1 ? 1 : 0));
            }
            lines += tallest;
        }
        return lines <= kLinesOnASheet;
    }

    void cell(std::uint32_t entity, std::uint32_t cell)
    {
        const auto lessons = cells_.of(cell);
        if (view_.cellSlots[cell] < 0 && lessons.empty()) {
            out_ += "<td class=\"v\">sin tramo</td>";
            return;
        }
        if (lessons.empty()) {
            out_ += "<td></td>";
            return;
        }
        if (lessons.size() > 1) {
            out_ += "<td class=\"x\" id=\"";
            appendCellId(out_, kind_, entity, cell);
            out_ += "\"><p class=\"m\">Choque: ";
            appendNumber(out_, lessons.size());
            out_ += " clases</p>";
        } else {
            out_ += "<td>";
        }
        for (const TimetableView::Lesson& lesson : lessonsIn(cell))
            lessonBox(lesson);
        if (lessons.size() > 1) {
            out_ += "<p class=\"mas\">+";
            appendNumber(out_, lessons.size() - 1);
            out_ += " más, en el índice</p>";
        }
        out_ += "</td>";
    }

    // The lessons of a cell, or with the cell count those outside the grid.
    std::span<const TimetableView::Lesson> lessonsIn(std::size_t cell) const
    {
        return std::span<const TimetableView::Lesson>(lessons_).subspan(
            cells_.start[cell], cells_.start[cell + 1] - cells_.start[cell]);
    }

    // The lessons whose weekday and hour are no cell of the grid, by slot.
    void outside(std::uint32_t entity)
    {
        if (cells_.of(view_.cellCount()).empty())
            return;
        out_ += "<p><b>Fuera de la rejilla:</b> clases cuyo día y hora no son una casilla "
                "de DIASHORAST.</p>\n<ul class=\"fuera\" id=\"";
        appendCellId(out_, kind_, entity, TimetableView::kOutside);
        out_ += "\">";
        const auto lessons = lessonsIn(view_.cellCount());
        for (std::size_t i = 0; i < lessons.size();) {
            std::size_t j = i + 1;
            const TimetableView::Lesson& first = lessons[i];
            while (j < lessons.size() && lessons[j].weekday == first.weekday &&
                   lessons[j].hour == first.hour)
                ++j;
            if (j - i > 1) {
                out_ += "<li class=\"x\"><p class=\"m\">Choque: ";
                appendNumber(out_, j - i);
                out_ += " clases</p>";
            } else {
                out_ += "<li>";
            }
            appendSlotWords(out_, view_, first);
            out_ += ":";
            for (const TimetableView::Lesson& lesson : lessons.subspan(i, j - i))
                lessonBox(lesson);
            out_ += "</li>\n";
            i = j;
        }
        out_ += "</ul>\n";
    }

    // One lesson: the subject, the two partners the grid is not about, then
    // their codes and the values sent, in words on screen and on paper; the
    // slot's are the same for every grid, in the index's table of slots.
    // Written for every lesson three times: every piece is ready-made.
    void lessonBox(const TimetableView::Lesson& lesson)
    {
        const Entity& teacher = view_.teachers[lesson.teacher];
        const Entity& subject = view_.subjects[lesson.subject];
        const Entity& slot = view_.timeSlots[lesson.slot];
        const Entity& group = view_.groups[lesson.group];
        const Entity& room = view_.rooms[lesson.room];
        const Entity& second = kind_ == Kind::Group ? teacher : group;
        const Entity& third = kind_ == Kind::Room ? teacher : room;
        out_ += hasMissingPartner(view_, lesson) ? "<div class=\"f\"><b>" : "<div><b>";
        out_ += subject.cell;
        out_ += "</b>";
        out_ += second.cell;
        out_ += " · ";
        out_ += third.cell;
        if (slot.missing && lesson.cell != TimetableView::kOutside) {
            out_ += "<br>";
            out_ += slot.cell;
        }
        out_ += "<small>";
        out_ += subject.codeAndSent;
        out_ += " · ";
        out_ += second.codeAndSent;
        out_ += " · ";
        out_ += third.codeAndSent;
        out_ += "</small></div>";
    }

    const TimetableView& view_;
    const PageStamp& stamp_;
    const PageSetNames& names_;
    const Kind kind_;
    PageText page_;
    std::string& out_;
    TimetableView::Cells cells_;
    std::vector<TimetableView::Lesson> lessons_; // the grid's, in the order of cells_
    std::array<std::vector<GridMarks>, 3> marks_;
    const std::string backToIndex_;
};

} // namespace

void writeGridPage(const TimetableView& view, const PageStamp& stamp, const PageSetNames& names,
                   TimetableView::Kind kind, const PageSink& sink)
{
    GridPageWriter(view, stamp, names, kind, sink).write();
}

} // namespace tmq
