#include "page/PageWriters.h"

#include "page/HtmlText.h"

namespace tmq {

namespace {

using Kind = TimetableView::Kind;
using Entity = TimetableView::Entity;
using Partner = ImportJoins::Partner;

constexpr Kind kKinds[] = {Kind::Teacher, Kind::Group, Kind::Room};

class IndexPageWriter {
public:
    IndexPageWriter(const TimetableView& view, const PageStamp& stamp, const PageSetNames& names,
                    const PageSink& sink)
        : view_(view), stamp_(stamp), names_(names), page_(sink), out_(*page_),
          marks_(countGridMarks(view))
    {
        for (const Kind kind : kKinds) {
            orders_[index(kind)] = alphabetical(view_.entities(kind));
            gridFiles_[index(kind)] = hrefOf(names_.grids[index(kind)]);
        }
    }

    void write()
    {
        openPage(out_, "Horario de Mirtavel", stamp_, {});
        summary();
        contents();
        slotCodes();
        findings();
        closePage(out_);
        page_.finish();
    }

private:
    static std::size_t index(Kind kind) { return static_cast<std::size_t>(kind); }

    // A link to the grid of an entity, or to one of its cells, named as the
    // index names the entity.
    void gridLink(Kind kind, std::uint32_t entity)
    {
        linkStart(kind);
        appendGridId(out_, kind, entity);
        linkEnd(kind, entity);
    }
    void cellLink(Kind kind, std::uint32_t entity, std::uint32_t cell)
    {
        linkStart(kind);
        appendCellId(out_, kind, entity, cell);
        linkEnd(kind, entity);
    }
    void linkStart(Kind kind)
    {
        ((out_ += "<a href=\"") += gridFiles_[index(kind)]) += '#';
    }
    void linkEnd(Kind kind, std::uint32_t entity)
    {
        out_ += "\">";
        appendShownName(out_, view_.entities(kind)[entity], orders_[index(kind)].repeated[entity]);
        out_ += "</a>";
    }

    void summary()
    {
        std::size_t tableGroups = 0;
        for (const Entity& group : view_.groups)
            tableGroups += group.missing ? 0 : 1;
        std::size_t tableRooms = 0;
        for (const Entity& room : view_.rooms)
            tableRooms += room.missing ? 0 : 1;
        std::size_t unplacedRows = 0;
        for (const TimetableView::Unplaced& u : view_.unplaced)
            unplacedRows += u.rows.size();
        out_ += "<section aria-labelledby=\"h-resumen\">\n<h2 id=\"h-resumen\">Resumen</h2>\n"
                "<ul class=\"cifras\">";
        std::vector<std::pair<std::string, std::size_t>> figures = {
            {"profesores (PROFT)", view_.teachers.size()},
            {"grupos (GRUPOST)", tableGroups},
            {"aulas (AULAT)", tableRooms},
            {"clases que se enviarán", view_.lessons.size()},
            {"tramos horarios (DIASHORAST)", view_.slotRows},
            {"choques", view_.clashes.size()},
            {"filas de SOLUC con DIA 0", unplacedRows},
            {"profesores de SOLUC que no están en PROFT", view_.withoutTeacher.size()}};
        for (const Partner partner :
             {Partner::Subject, Partner::Group, Partner::Room, Partner::Slot}) {
            std::size_t codes = 0;
            for (const TimetableView::Unmatched& u : view_.unmatched)
                codes += u.partner == partner ? 1 : 0;
            figures.emplace_back(std::string("códigos de SOLUC sin pareja en ") +
                                     partnerNames(partner).table,
                                 codes);
        }
        for (const auto& [label, count] : figures)
            out_ += "<li><b>" + std::to_string(count) + "</b>" + label + "</li>";
        out_ += "</ul>\n<h3>Marcas de las rejillas</h3>\n<ul class=\"leyenda\">"
                "<li><span class=\"x\">Choque</span>Borde doble y «Choque»: dos o más clases del "
                "mismo profesor, grupo o aula en un tramo.</li>"
                "<li><span class=\"f\">no está en…</span>Borde discontinuo y «no está en…»: un "
                "código de SOLUC que falta en su tabla; la importación deja vacío su valor.</li>"
                "<li><span class=\"v\">sin tramo</span>Borde de puntos y rayado, «sin tramo»: "
                "DIASHORAST no tiene ese día a esa hora.</li></ul>\n<p>Bajo cada clase van sus "
                "códigos de SOLUC con el valor que se envía (MAT→G1001); los de los tramos, "
                "tras el índice.</p>\n"
                "<h3>Vistas de toda la plantilla</h3>\n<ul><li><a href=\"" +
                hrefOf(names_.freeTeachers) +
                "\">Profesores libres por tramo</a>: quién puede cubrir una ausencia.</li>"
                "<li><a href=\"" +
                hrefOf(names_.staff) +
                "\">Toda la plantilla de un vistazo</a>: un profesor por fila, un tramo por "
                "columna.</li></ul>\n</section>\n";
    }

    void contents()
    {
        out_ += "<nav id=\"indice\" aria-labelledby=\"h-indice\">\n<h2 id=\"h-indice\">Índice de "
                "rejillas</h2>\n";
        for (const Kind kind : kKinds) {
            const NameOrder& order = orders_[index(kind)];
            out_ += "<h3>" + std::string(kindPlural(kind)) + " (" +
                    std::to_string(order.order.size()) + ")</h3>\n";
            if (order.order.empty()) {
                out_ += "<p>Ninguno.</p>\n";
                continue;
            }
            out_ += "<p><a href=\"" + gridFiles_[index(kind)] + "\">Todas las rejillas de " +
                    (kind == Kind::Teacher ? std::string("profesores")
                                           : (kind == Kind::Group ? "grupos" : "aulas")) +
                    "</a>, para imprimirlas juntas, una por hoja.</p>\n<ol>";
            for (const std::uint32_t entity : order.order) {
                out_ += "<li>";
                gridLink(kind, entity);
                appendMarkNote(out_, marks_[index(kind)][entity], " (", ")");
                out_ += "</li>\n";
                page_.flushIfLarge();
            }
            out_ += "</ol>\n";
        }
        out_ += "</nav>\n";
    }

    // The code and CODDIHO of the slot of every cell, the same in every grid.
    void slotCodes()
    {
        out_ += "<section aria-labelledby=\"h-tramos\">\n<h2 id=\"h-tramos\">Tramos de "
                "DIASHORAST: su código y el CODDIHO que se envía</h2>\n<div class=\"marco\">\n"
                "<table>";
        appendWeekHead(out_, view_);
        const std::size_t columns = view_.weekdays.size();
        for (std::size_t row = 0; row < view_.hours.size(); ++row) {
            out_ += "<tr><th scope=\"row\">Hora " + std::to_string(view_.hours[row].hour) +
                    "</th>";
            for (std::size_t column = 0; column < columns; ++column) {
                const std::int32_t slot = view_.cellSlots[row * columns + column];
                if (slot < 0) {
                    out_ += "<td class=\"v\">sin tramo</td>";
                    continue;
                }
                const Entity& entity = view_.timeSlots[static_cast<std::size_t>(slot)];
                ((out_ += "<td>") += entity.codeAndSent) += "</td>";
            }
            out_ += "</tr>\n";
        }
        out_ += "</tbody>\n</table>\n</div>\n</section>\n";
    }

    void findings()
    {
        out_ += "<section aria-labelledby=\"h-avisos\">\n<h2 id=\"h-avisos\">Lo que no pasa o "
                "pasa incompleto</h2>\n";

        std::size_t unplacedRows = 0;
        for (const TimetableView::Unplaced& u : view_.unplaced)
            unplacedRows += u.rows.size();
        findingList("Filas de SOLUC sin colocar (DIA 0): " + std::to_string(unplacedRows),
                    "Ninguna.", "La importación las pasa por alto.", view_.unplaced,
                    [this](const TimetableView::Unplaced& u) {
                        gridLink(Kind::Teacher, u.teacher);
                        out_ += u.rows.size() == 1 ? ": fila " : ": filas ";
                        for (std::size_t i = 0; i < u.rows.size(); ++i) {
                            if (i > 0)
                                out_ += i + 1 == u.rows.size() ? " y " : ", ";
                            out_ += std::to_string(u.rows[i] + 1);
                        }
                        out_ += " de SOLUC";
                    });

        std::size_t orphanRows = 0;
        for (const auto& [code, rows] : view_.withoutTeacher)
            orphanRows += static_cast<std::size_t>(rows);
        findingList(
            "Filas de SOLUC de profesores que no están en PROFT: " + std::to_string(orphanRows),
            "Ninguna.", "No pasan al resultado.", view_.withoutTeacher, [this](const auto& orphan) {
                out_ += "Profesor '";
                appendHtmlFromCp1252(out_, orphan.first);
                out_ += "': " + plural(static_cast<std::size_t>(orphan.second), "fila", "filas");
            });

        std::size_t unmatchedLessons = 0;
        for (const TimetableView::Unmatched& u : view_.unmatched)
            unmatchedLessons += u.lessons;
        findingList(
            "Códigos de SOLUC sin pareja: " + plural(view_.unmatched.size(), "código", "códigos") +
                " en " + plural(unmatchedLessons, "clase", "clases"),
            "Ninguno.", "La importación deja vacío el valor que les corresponde.", view_.unmatched,
            [this](const TimetableView::Unmatched& u) {
                // Groups and rooms SOLUC names have grids of their own.
                if (u.partner == Partner::Group || u.partner == Partner::Room) {
                    const Kind kind = u.partner == Partner::Group ? Kind::Group : Kind::Room;
                    gridLink(kind, u.entity);
                } else {
                    out_ += (u.partner == Partner::Subject ? view_.subjects : view_.timeSlots)
                                [u.entity]
                                    .codes;
                }
                out_ += " (";
                appendPlural(out_, u.lessons, "clase", "clases");
                out_ += ")";
            });

        findingList("Choques: " + std::to_string(view_.clashes.size()), "Ninguno.",
                    "Un profesor, un grupo o un aula con dos o más clases en el mismo tramo, "
                    "cada clase por sus códigos en SOLUC (asignatura, profesor, grupo, aula) y "
                    "su fila; cada enlace lleva a la casilla.",
                    view_.clashes, [this](const TimetableView::Clash& clash) { this->clash(clash); });
        out_ += "</section>\n";
    }

    // "Profesor Ana: lunes, hora 1 (L1): 2 clases: MAT 1A A1 (fila 1); MAT 1A A1 (fila 3)":
    // each lesson by the codes of SOLUC, short enough for a district's thousands.
    void clash(const TimetableView::Clash& clash)
    {
        // A district's clashes name lessons from all over SOLUC, most of them
        // not in the cache. Copied side by side first, their loads overlap
        // instead of each waiting for memory in turn.
        gathered_.clear();
        for (const std::uint32_t lesson : clash.lessons)
            gathered_.push_back(view_.lessons[lesson]);
        const TimetableView::Lesson& first = gathered_.front();
        const std::uint32_t cell = first.cell;
        out_ += kindWord(clash.kind);
        out_ += ' ';
        cellLink(clash.kind, clash.entity, cell);
        out_ += ": ";
        appendSlotWords(out_, view_, first);
        out_ += ": ";
        appendPlural(out_, clash.lessons.size(), "clase", "clases");
        out_ += ": ";
        for (const TimetableView::Lesson& lesson : gathered_) {
            if (&lesson != &first)
                out_ += "; ";
            out_ += view_.subjects[lesson.subject].code;
            if (clash.kind != Kind::Teacher)
                (out_ += ' ') += view_.teachers[lesson.teacher].code;
            if (clash.kind != Kind::Group)
                (out_ += ' ') += view_.groups[lesson.group].code;
            if (clash.kind != Kind::Room)
                (out_ += ' ') += view_.rooms[lesson.room].code;
            out_ += " (fila ";
            appendNumber(out_, static_cast<std::size_t>(lesson.soluc) + 1);
            out_ += ')';
        }
    }

    // A list folded under its heading and count, or "Ninguna." when empty.
    template <typename Items, typename Write>
    void findingList(const std::string& heading, const char* none, const char* consequence,
                     const Items& items, Write write)
    {
        if (items.empty()) {
            out_ += "<h3>" + heading + "</h3>\n<p>" + none + "</p>\n";
            return;
        }
        out_ += "<details>\n<summary><h3>" + heading + "</h3></summary>\n<p>" + consequence +
                "</p>\n<ul>";
        for (const auto& item : items) {
            out_ += "<li>";
            write(item);
            out_ += "</li>\n";
            page_.flushIfLarge();
        }
        out_ += "</ul>\n</details>\n";
    }

    const TimetableView& view_;
    const PageStamp& stamp_;
    const PageSetNames& names_;
    PageText page_;
    std::string& out_;
    std::array<std::vector<GridMarks>, 3> marks_;
    std::array<NameOrder, 3> orders_;
    std::vector<TimetableView::Lesson> gathered_; // the lessons of the clash being written
    std::array<std::string, 3> gridFiles_; // hrefs of the grids' files
};

} // namespace

void writeIndexPage(const TimetableView& view, const PageStamp& stamp, const PageSetNames& names,
                    const PageSink& sink)
{
    IndexPageWriter(view, stamp, names, sink).write();
}

} // namespace tmq
