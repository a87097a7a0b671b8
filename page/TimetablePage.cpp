#include "page/TimetablePage.h"

#include "page/HtmlText.h"

#include <array>
#include <charconv>
#include <iterator>

namespace tmq {

namespace {

using Kind = TimetableView::Kind;
using Entity = TimetableView::Entity;

constexpr std::array<const char*, 7> kWeekdayNames{"lunes",   "martes", "miércoles", "jueves",
                                                   "viernes", "sábado", "domingo"};
constexpr std::array<const char*, 7> kWeekdayTitles{"Lunes",   "Martes", "Miércoles", "Jueves",
                                                    "Viernes", "Sábado", "Domingo"};

// The style of the page: printed on A4 landscape, one grid a page; every
// mark is drawn with a border or a pattern and says what it is in words,
// so that it reads in black and white and to a screen reader.
constexpr std::string_view kStyle = R"(
@page{size:A4 landscape;margin:10mm}
html{-webkit-print-color-adjust:exact;print-color-adjust:exact}
body{font:10pt/1.3 "Liberation Sans",Arial,Helvetica,sans-serif;color:#000;background:#fff;margin:1em}
h1{font-size:18pt;margin:0 0 .2em}
h2{font-size:14pt;margin:.9em 0 .3em}
h3{font-size:11pt;margin:.8em 0 .2em}
p{margin:.2em 0}
a{color:#00379e}
ul,ol{margin:.2em 0 .4em;padding-left:1.6em}
.cifras{display:flex;flex-wrap:wrap;gap:.4em 2.5em;list-style:none;padding:0}
.cifras b{font-size:15pt;display:block}
.leyenda{display:flex;flex-wrap:wrap;gap:.4em 1.5em;list-style:none;padding:0}
.leyenda span{display:inline-block;width:2.2em;height:1.1em;vertical-align:middle;margin-right:.3em}
nav ol{columns:3 16em}
.rejilla{break-before:page;page-break-before:always}
.rejilla h2{margin-top:0}
table{border-collapse:collapse;width:100%;table-layout:fixed;margin-top:.3em}
th,td{border:1px solid #000;padding:2pt 3pt;vertical-align:top;text-align:left}
thead th{background:#e6e6e6}
tbody th{width:6.5em;background:#f3f3f3}
tr{break-inside:avoid}
.horas{display:block;font-weight:normal;font-size:8.5pt}
td>div,li>div{border:1px solid #777;padding:1pt 2pt;margin:0 0 2pt}
td>div b,li>div b{display:block}
div.f{border:2px dashed #000;background:#fff1b8}
.sin{font-style:italic;text-decoration:underline dotted}
td.x,li.x,.leyenda .x{border:4px double #000;background:#f9d9d9}
.m{margin:0 0 2pt;font-weight:bold;font-size:8.5pt;text-transform:uppercase}
td.v,.leyenda .v{background:repeating-linear-gradient(135deg,#fff 0 3pt,#bbb 3pt 4pt);font-size:8pt}
.leyenda .f{border:2px dashed #000;background:#fff1b8}
ul.fuera{list-style:none;padding:0}
ul.fuera li{margin:.2em 0;padding:2pt}
@media print{.volver{display:none}a{color:#000;text-decoration:none}}
)";

std::string plural(std::size_t count, const char* one, const char* many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

// The page, written in pieces into the sink.
class PageWriter {
public:
    PageWriter(const TimetableView& view, const std::function<void(std::string_view)>& sink)
        : view_(view), sink_(sink)
    {
        countMarks();
    }

    void write(const std::string& folder)
    {
        out_ += "<!DOCTYPE html>\n<html lang=\"es\">\n<head>\n<meta charset=\"utf-8\">\n"
                "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                "<title>Horario de Mirtavel</title>\n<style>";
        out_ += kStyle;
        out_ += "</style>\n</head>\n<body>\n<header>\n<h1>Horario de Mirtavel</h1>\n"
                "<p>La semana que la importación enviará a Quelmar, leída de la carpeta <b>";
        appendHtml(out_, folder);
        out_ += "</b>.</p>\n</header>\n<main>\n";
        summary();
        findings();
        clashes();
        contents();
        for (const Kind kind : {Kind::Teacher, Kind::Group, Kind::Room}) {
            const auto count = static_cast<std::uint32_t>(view_.entities(kind).size());
            for (std::uint32_t entity = 0; entity < count; ++entity)
                grid(kind, entity);
        }
        out_ += "</main>\n</body>\n</html>\n";
        flush(true);
    }

private:
    // What each grid holds of clashes and of lessons with a missing partner.
    struct Marks {
        std::uint32_t clashes = 0;
        std::uint32_t missing = 0;
    };

    void countMarks()
    {
        for (const Kind kind : {Kind::Teacher, Kind::Group, Kind::Room})
            marks_[index(kind)].resize(view_.entities(kind).size());
        for (const TimetableView::Clash& clash : view_.clashes)
            ++marks_[index(clash.kind)][clash.entity].clashes;
        for (const TimetableView::Lesson& lesson : view_.lessons) {
            if (!hasMissing(lesson))
                continue;
            ++marks_[index(Kind::Teacher)][lesson.teacher].missing;
            ++marks_[index(Kind::Group)][lesson.group].missing;
            ++marks_[index(Kind::Room)][lesson.room].missing;
        }
    }

    static std::size_t index(Kind kind) { return static_cast<std::size_t>(kind); }

    bool hasMissing(const TimetableView::Lesson& lesson) const
    {
        return view_.subjects[lesson.subject].missing || view_.timeSlots[lesson.slot].missing ||
               view_.groups[lesson.group].missing || view_.rooms[lesson.room].missing;
    }

    void flush(bool all = false)
    {
        if (all || out_.size() >= (1 << 20)) {
            sink_(out_);
            out_.clear();
        }
    }

    static const char* kindWord(Kind kind)
    {
        switch (kind) {
        case Kind::Teacher:
            return "Profesor";
        case Kind::Group:
            return "Grupo";
        case Kind::Room:
            break;
        }
        return "Aula";
    }

    void gridId(Kind kind, std::uint32_t entity)
    {
        out_ += kind == Kind::Teacher ? 'p' : (kind == Kind::Group ? 'g' : 'a');
        out_ += std::to_string(entity + 1);
    }

    // A link to the grid of an entity, named by the entity.
    void gridLink(Kind kind, std::uint32_t entity)
    {
        out_ += "<a href=\"#";
        gridId(kind, entity);
        out_ += "\">";
        const Entity& named = view_.entities(kind)[entity];
        out_ += named.missing ? named.codes : named.name;
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
        out_ += "<section aria-labelledby=\"h-resumen\">\n<h2 id=\"h-resumen\">Resumen</h2>\n"
                "<ul class=\"cifras\">";
        const std::pair<const char*, std::size_t> figures[] = {
            {"profesores (PROFT)", view_.teachers.size()},
            {"grupos (GRUPOST)", tableGroups},
            {"aulas (AULAT)", tableRooms},
            {"clases que se enviarán", view_.lessons.size()},
            {"tramos horarios (DIASHORAST)", view_.slotRows}};
        for (const auto& [label, count] : figures)
            out_ += "<li><b>" + std::to_string(count) + "</b>" + label + "</li>";
        out_ += "</ul>\n<h3>Marcas de las rejillas</h3>\n<ul class=\"leyenda\">"
                "<li><span class=\"x\"></span>Borde doble y «Choque»: dos o más clases del mismo "
                "profesor, grupo o aula en un tramo.</li>"
                "<li><span class=\"f\"></span>Borde discontinuo y «no está en…»: un código de "
                "SOLUC que falta en su tabla; la importación deja vacío su valor.</li>"
                "<li><span class=\"v\"></span>Rayado, «sin tramo»: DIASHORAST no tiene ese día a "
                "esa hora.</li></ul>\n<p>Pase el puntero sobre una clase para ver sus "
                "códigos y el valor que se envía.</p>\n</section>\n";
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
                const Entity& entity = entityOf(u.partner, u.entity);
                // Groups and rooms SOLUC names have grids of their own.
                if (u.partner == ImportJoins::Partner::Group ||
                    u.partner == ImportJoins::Partner::Room) {
                    out_ += "<a href=\"#";
                    gridId(u.partner == ImportJoins::Partner::Group ? Kind::Group : Kind::Room,
                           u.entity);
                    out_ += "\">" + entity.codes + "</a>";
                } else {
                    out_ += entity.codes;
                }
                out_ += " (" + plural(u.lessons, "clase", "clases") + ")";
            });
        out_ += "</section>\n";
    }

    // A heading with its count, then "Ninguna." or what the import does with
    // them and one item per finding.
    template <typename Items, typename Write>
    void findingList(const std::string& heading, const char* none, const char* consequence,
                     const Items& items, Write write)
    {
        out_ += "<h3>" + heading + "</h3>\n";
        if (items.empty()) {
            out_ += std::string("<p>") + none + "</p>\n";
            return;
        }
        out_ += std::string("<p>") + consequence + "</p>\n<ul>";
        for (const auto& item : items) {
            out_ += "<li>";
            write(item);
            out_ += "</li>\n";
            flush();
        }
        out_ += "</ul>\n";
    }

    const Entity& entityOf(ImportJoins::Partner partner, std::uint32_t entity) const
    {
        switch (partner) {
        case ImportJoins::Partner::Subject:
            return view_.subjects[entity];
        case ImportJoins::Partner::Slot:
            return view_.timeSlots[entity];
        case ImportJoins::Partner::Room:
            return view_.rooms[entity];
        case ImportJoins::Partner::Group:
            break;
        }
        return view_.groups[entity];
    }

    // "lunes, hora 1 (L1)", or the weekday and hour of a lesson outside the grid.
    void slotWords(const TimetableView::Lesson& lesson)
    {
        if (lesson.weekday >= 0)
            out_ += kWeekdayNames[static_cast<std::size_t>(lesson.weekday)];
        else
            out_ += "sin día de la semana";
        out_ += ", hora " + std::to_string(lesson.hour) + " (";
        const Entity& slot = view_.timeSlots[lesson.slot];
        out_ += slot.missing ? slot.codes : slot.name;
        out_ += ")";
    }

    void clashes()
    {
        out_ += "<section aria-labelledby=\"h-choques\">\n<h2 id=\"h-choques\">Choques: " +
                std::to_string(view_.clashes.size()) +
                "</h2>\n<p>Un profesor, un grupo o un aula con dos o más clases en el mismo "
                "tramo.</p>\n";
        if (view_.clashes.empty()) {
            out_ += "<p>Ninguno.</p>\n</section>\n";
            return;
        }
        out_ += "<ul>";
        for (const TimetableView::Clash& clash : view_.clashes) {
            out_ += "<li>";
            out_ += kindWord(clash.kind);
            out_ += ' ';
            gridLink(clash.kind, clash.entity);
            out_ += ": ";
            slotWords(view_.lessons[clash.firstLesson]);
            out_ += ": " + plural(clash.lessons, "clase", "clases") + "</li>\n";
            flush();
        }
        out_ += "</ul>\n</section>\n";
    }

    void contents()
    {
        out_ += "<nav id=\"indice\" aria-labelledby=\"h-indice\">\n<h2 id=\"h-indice\">Índice de "
                "rejillas</h2>\n";
        for (const auto& [kind, title] :
             {std::pair{Kind::Teacher, "Profesores"}, std::pair{Kind::Group, "Grupos"},
              std::pair{Kind::Room, "Aulas"}}) {
            const auto count = static_cast<std::uint32_t>(view_.entities(kind).size());
            out_ += "<h3>" + std::string(title) + " (" + std::to_string(count) + ")</h3>\n";
            if (count == 0) {
                out_ += "<p>Ninguno.</p>\n";
                continue;
            }
            out_ += "<ol>";
            for (std::uint32_t entity = 0; entity < count; ++entity) {
                out_ += "<li>";
                gridLink(kind, entity);
                markNote(kind, entity, " (", ")");
                out_ += "</li>\n";
                flush();
            }
            out_ += "</ol>\n";
        }
        out_ += "</nav>\n";
    }

    // "2 choques · 1 clase con códigos sin pareja", when the grid has either.
    void markNote(Kind kind, std::uint32_t entity, const char* before, const char* after)
    {
        const Marks& marks = marks_[index(kind)][entity];
        if (marks.clashes == 0 && marks.missing == 0)
            return;
        out_ += before;
        if (marks.clashes > 0)
            out_ += plural(marks.clashes, "choque", "choques");
        if (marks.clashes > 0 && marks.missing > 0)
            out_ += " · ";
        if (marks.missing > 0)
            out_ += plural(marks.missing, "clase con códigos sin pareja",
                           "clases con códigos sin pareja");
        out_ += after;
    }

    void grid(Kind kind, std::uint32_t entity)
    {
        const Entity& subject = view_.entities(kind)[entity];
        view_.cellsOf(kind, entity, cells_);
        out_ += "<section class=\"rejilla\" id=\"";
        gridId(kind, entity);
        out_ += "\" aria-labelledby=\"h-";
        gridId(kind, entity);
        out_ += "\">\n<h2 id=\"h-";
        gridId(kind, entity);
        out_ += "\">";
        out_ += kindWord(kind);
        out_ += ": ";
        out_ += subject.cell;
        out_ += "</h2>\n<p>";
        if (!subject.missing) {
            out_ += subject.codes;
            out_ += " · ";
        }
        out_ += plural(cells_.order.size(), "clase", "clases");
        markNote(kind, entity, " · ", "");
        out_ += "</p>\n<table aria-labelledby=\"h-";
        gridId(kind, entity);
        out_ += "\">\n<thead><tr><th scope=\"col\">Hora</th>";
        for (const int weekday : view_.weekdays)
            out_ += std::string("<th scope=\"col\">") +
                    kWeekdayTitles[static_cast<std::size_t>(weekday)] + "</th>";
        out_ += "</tr></thead>\n<tbody>\n";
        const std::size_t columns = view_.weekdays.size();
        for (std::size_t row = 0; row < view_.hours.size(); ++row) {
            const TimetableView::Hour& hour = view_.hours[row];
            out_ += "<tr><th scope=\"row\">Hora " + std::to_string(hour.hour);
            if (!hour.times.empty())
                out_ += "<span class=\"horas\">" + hour.times + "</span>";
            out_ += "</th>";
            for (std::size_t column = 0; column < columns; ++column)
                cell(kind, row * columns + column);
            out_ += "</tr>\n";
            flush();
        }
        out_ += "</tbody>\n</table>\n";
        outside(kind);
        out_ += "<p class=\"volver\"><a href=\"#indice\">Volver al índice</a></p>\n</section>\n";
        flush();
    }

    void cell(Kind kind, std::size_t cell)
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
        if (lessons.size() > 1)
            out_ += "<td class=\"x\"><p class=\"m\">Choque: " + std::to_string(lessons.size()) +
                    " clases</p>";
        else
            out_ += "<td>";
        for (const std::uint32_t lesson : lessons)
            lessonBox(kind, view_.lessons[lesson]);
        out_ += "</td>";
    }

    // The lessons whose weekday and hour are no cell of the grid, by slot.
    void outside(Kind kind)
    {
        const auto lessons = cells_.of(view_.cellCount());
        if (lessons.empty())
            return;
        out_ += "<p><b>Fuera de la rejilla:</b> clases cuyo día y hora no son una casilla "
                "de DIASHORAST.</p>\n<ul class=\"fuera\">";
        for (std::size_t i = 0; i < lessons.size();) {
            std::size_t j = i + 1;
            const TimetableView::Lesson& first = view_.lessons[lessons[i]];
            while (j < lessons.size() && view_.lessons[lessons[j]].weekday == first.weekday &&
                   view_.lessons[lessons[j]].hour == first.hour)
                ++j;
            out_ += j - i > 1 ? "<li class=\"x\"><p class=\"m\">Choque: " + std::to_string(j - i) +
                                    " clases</p>"
                              : std::string("<li>");
            slotWords(first);
            out_ += ":";
            for (std::size_t k = i; k < j; ++k)
                lessonBox(kind, view_.lessons[lessons[k]]);
            out_ += "</li>\n";
            i = j;
        }
        out_ += "</ul>\n";
    }

    // One lesson: the subject, then the two partners the grid is not about,
    // and every code in the tooltip. Written for every lesson three times:
    // every piece is ready-made.
    void lessonBox(Kind kind, const TimetableView::Lesson& lesson)
    {
        const Entity& teacher = view_.teachers[lesson.teacher];
        const Entity& subject = view_.subjects[lesson.subject];
        const Entity& slot = view_.timeSlots[lesson.slot];
        const Entity& group = view_.groups[lesson.group];
        const Entity& room = view_.rooms[lesson.room];
        const Entity& second = kind == Kind::Group ? teacher : group;
        const Entity& third = kind == Kind::Room ? teacher : room;
        out_ += hasMissing(lesson) ? "<div class=\"f\" title=\"" : "<div title=\"";
        out_ += subject.tip;
        out_ += " · ";
        out_ += second.tip;
        out_ += " · ";
        out_ += third.tip;
        out_ += " · ";
        out_ += slot.tip;
        out_ += " · Fila ";
        appendNumber(lesson.soluc + 1);
        out_ += " de SOLUC\"><b>";
        out_ += subject.cell;
        out_ += "</b>";
        out_ += second.cell;
        out_ += " · ";
        out_ += third.cell;
        if (slot.missing && lesson.cell != TimetableView::kOutside) {
            out_ += "<br>";
            out_ += slot.cell;
        }
        out_ += "</div>";
    }

    void appendNumber(long long number)
    {
        char digits[24];
        const auto result = std::to_chars(std::begin(digits), std::end(digits), number);
        out_.append(digits, result.ptr);
    }

    const TimetableView& view_;
    const std::function<void(std::string_view)>& sink_;
    std::string out_;
    TimetableView::Cells cells_;
    std::array<std::vector<Marks>, 3> marks_;
};

} // namespace

void writeTimetableHtml(const TimetableView& view, const std::string& folder,
                        const std::function<void(std::string_view)>& sink)
{
    PageWriter(view, sink).write(folder);
}

} // namespace tmq
