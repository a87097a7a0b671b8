#include "page/PageParts.h"

#include <algorithm>
#include <charconv>

namespace tmq {

namespace {

using Kind = TimetableView::Kind;
using Entity = TimetableView::Entity;

// The style of every file. Printed on A4 landscape, each grid takes one
// sheet: the hour column is only as wide as its labels, texts shrink to
// 7 pt and break anywhere rather than run into the next cell. Every mark is
// a border style and words, so that it reads in black and white, in the
// system colours of a high-contrast mode and to a screen reader. Opened at
// a grid's address (#p3), a file of grids prints that grid alone. A grid
// too tall for its sheet runs each lesson on, and with clashes prints only
// each clashed cell's first lesson, the count of the rest and where to find
// them, its lines closer.
constexpr std::string_view kStyle = R"(
@page{size:A4 landscape;margin:8mm}
html{-webkit-print-color-adjust:exact;print-color-adjust:exact}
body{font:10pt/1.3 "Liberation Sans",Arial,Helvetica,sans-serif;color:#000;background:#fff;margin:1em}
h1{font-size:18pt;margin:0 0 .2em}
h2{font-size:14pt;margin:.9em 0 .3em}
h3{font-size:11pt;margin:.8em 0 .2em}
p{margin:.2em 0}
a{color:#00379e}
ul,ol{margin:.2em 0 .4em;padding-left:1.6em}
.sello{font-size:8.5pt}
.cifras{display:flex;flex-wrap:wrap;gap:.4em 2.5em;list-style:none;padding:0}
.cifras b{font-size:15pt;display:block}
.leyenda{list-style:none;padding:0}
.leyenda li{margin:.3em 0}
.leyenda span{display:inline-block;min-width:5.5em;padding:0 .3em;margin-right:.4em;font-size:8.5pt}
nav ol{columns:3 16em}
summary{cursor:pointer;margin:.4em 0}
summary h3{display:inline}
.rejilla{break-before:page;page-break-before:always}
.rejilla h2{margin-top:0}
.marco{max-width:100%;overflow-x:auto}
table{border-collapse:collapse;width:100%;table-layout:fixed;margin-top:.3em}
col.h{width:5.6em}
th,td{border:1px solid #000;padding:2pt 3pt;vertical-align:top;text-align:left;overflow-wrap:anywhere;hyphens:auto}
thead th{background:#e6e6e6}
tbody th{background:#f3f3f3}
.horas{display:block;font-weight:normal;font-size:8pt}
td>div,li>div{border:1px solid #777;padding:1pt 2pt;margin:0 0 2pt}
td>div b,li>div b{display:block}
td small,li small{display:block;font-size:8pt}
div.f,.leyenda .f{border:2px dashed #000;background:#fff1b8}
.sin{font-style:italic;text-decoration:underline dotted}
td.x,li.x,.leyenda .x{border:4px double #000;background:#f9d9d9}
.m{margin:0 0 2pt;font-weight:bold;font-size:8.5pt;text-transform:uppercase}
td.v,.leyenda .v{border:2px dotted #000;background:repeating-linear-gradient(135deg,#fff 0 3pt,#ccc 3pt 4pt);font-size:8pt}
.mas{display:none}
ul.fuera{list-style:none;padding:0}
ul.fuera li{margin:.2em 0;padding:2pt}
.plantilla td,.plantilla th{padding:1pt;font-size:8pt;overflow-wrap:normal}
.plantilla{table-layout:auto}
.plantilla col.n{width:11em}
.oculto{position:absolute;width:1px;height:1px;overflow:hidden;clip:rect(0 0 0 0);white-space:nowrap}
@media screen{.rejilla{content-visibility:auto;contain-intrinsic-size:auto 40em}}
@media (forced-colors:active){
td.x,li.x,.leyenda .x{border:4px double CanvasText}
div.f,.leyenda .f{border:2px dashed CanvasText}
td.v,.leyenda .v{border:2px dotted GrayText;color:GrayText}
}
@media print{
body{margin:0;font-size:8pt}
h1{font-size:13pt}
h2{font-size:11pt}
.rejilla h2{font-size:10pt}
.rejilla p{margin:0}
.rejilla table{break-inside:avoid;margin-top:2pt}
.rejilla th,.rejilla td{padding:0 1.5pt;font-size:7pt;line-height:1.1}
.rejilla td b{font-size:7pt}
.rejilla .horas,.rejilla small,.rejilla .m,.sello,td.v{font-size:7pt}
.rejilla td>div{padding:0 1pt;margin:0 0 1pt}
.densa td>div b,.densa td>div small{display:inline}
.densa td>div b::after{content:" · "}
.densa td>div small::before{content:" · "}
.plegada td.x>div~div{display:none}
.plegada .mas,.plegada .m{display:block;margin:0}
.rejilla .plegada th,.rejilla .plegada td{line-height:1}
.rejilla .plegada td>div{margin:0}
.volver,.ayuda{display:none}
a{color:#000;text-decoration:none}
.rejillas>header{display:none}
.rejillas .rejilla:first-of-type,.rejilla:target{break-before:auto}
body:has(.rejilla:target)>header,main:has(.rejilla:target)>:not(.rejilla:target){display:none}
.plantilla{break-inside:auto}
.plantilla td,.plantilla th{font-size:7pt;padding:0 1pt}
.plantilla thead{display:table-header-group}
}
)";

std::string foldedForSorting(std::string_view html)
{
    // Spanish order, near enough: letter case and accents aside, ñ after n.
    static const std::pair<std::string_view, std::string_view> kLetters[] = {
        {"á", "a"}, {"à", "a"}, {"ä", "a"}, {"Á", "a"}, {"À", "a"}, {"é", "e"}, {"è", "e"},
        {"É", "e"}, {"È", "e"}, {"í", "i"}, {"ì", "i"}, {"ï", "i"}, {"Í", "i"}, {"ó", "o"},
        {"ò", "o"}, {"Ó", "o"}, {"Ò", "o"}, {"ú", "u"}, {"ù", "u"}, {"ü", "u"}, {"Ú", "u"},
        {"Ü", "u"}, {"ñ", "n~"}, {"Ñ", "n~"}, {"ç", "c"}, {"Ç", "c"}};
    std::string key;
    key.reserve(html.size());
    for (std::size_t i = 0; i < html.size();) {
        const unsigned char c = static_cast<unsigned char>(html[i]);
        if (c < 0x80) {
            key += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
            ++i;
            continue;
        }
        bool replaced = false;
        for (const auto& [letter, base] : kLetters) {
            if (html.substr(i, letter.size()) == letter) {
                key += base;
                i += letter.size();
                replaced = true;
                break;
            }
        }
        if (!replaced)
            key += html[i++];
    }
    return key;
}

// HTML text as a quoted CSS string: the references appendHtml writes become
// letters again, and quotes, backslashes and "<" are escaped, so that the
// string neither ends early nor closes the style element.
void appendCssString(std::string& css, std::string_view html)
{
    static const std::pair<std::string_view, char> kReferences[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}};
    css += '"';
    for (std::size_t i = 0; i < html.size(); ++i) {
        char c = html[i];
        if (c == '&') {
            for (const auto& [reference, letter] : kReferences) {
                if (html.substr(i, reference.size()) == reference) {
                    c = letter;
                    i += reference.size() - 1;
                    break;
                }
            }
        }
        if (c == '"' || c == '\\')
            (css += '\\') += c;
        else if (c == '<')
            css += "\\3C ";
        else if (c == '\n' || c == '\r' || c == '\t')
            css += ' ';
        else
            css += c;
    }
    css += '"';
}

// The title and stamp at the foot of every printed sheet, in the page's
// margin where they cover nothing, with the sheet's number.
void appendSheetFoot(std::string& out, std::string_view title, const PageStamp& stamp)
{
    std::string words(title);
    words += " · ";
    appendStampWords(words, stamp);
    out += "@page{margin-bottom:12mm;@bottom-left{content:";
    appendCssString(out, words);
    out += ";font-size:7pt;vertical-align:top;padding-top:2mm}"
           "@bottom-right{content:\"Hoja \" counter(page) \" de \" counter(pages);"
           "font-size:7pt;vertical-align:top;padding-top:2mm}}\n";
}

} // namespace

const std::array<const char*, 7> kWeekdayNames{"lunes",   "martes", "miércoles", "jueves",
                                               "viernes", "sábado", "domingo"};
const std::array<const char*, 7> kWeekdayTitles{"Lunes",   "Martes", "Miércoles", "Jueves",
                                                "Viernes", "Sábado", "Domingo"};

void appendWeekHead(std::string& out, const TimetableView& view)
{
    out += "\n<colgroup><col class=\"h\"><col span=\"" + std::to_string(view.weekdays.size()) +
           "\"></colgroup>\n<thead><tr><th scope=\"col\">Hora</th>";
    for (const int weekday : view.weekdays)
        out += std::string("<th scope=\"col\">") +
               kWeekdayTitles[static_cast<std::size_t>(weekday)] + "</th>";
    out += "</tr></thead>\n<tbody>\n";
}

PageSetNames PageSetNames::forIndex(std::string_view indexFileName)
{
    std::string stem(indexFileName);
    std::string extension = ".html";
    const std::size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0) {
        extension = stem.substr(dot);
        stem.resize(dot);
    }
    PageSetNames names;
    names.index = std::string(indexFileName);
    names.grids = {stem + "-profesores" + extension, stem + "-grupos" + extension,
                   stem + "-aulas" + extension};
    names.freeTeachers = stem + "-libres" + extension;
    names.staff = stem + "-plantilla" + extension;
    return names;
}

std::vector<std::string> PageSetNames::all() const
{
    return {grids[0], grids[1], grids[2], freeTeachers, staff, index};
}

void PageText::flushIfLarge()
{
    if (text_.size() >= kPiece) {
        sink_(text_);
        text_.clear();
    }
}

void PageText::finish()
{
    sink_(text_);
    text_.clear();
}

void openPage(std::string& out, std::string_view title, const PageStamp& stamp,
              const std::string& indexHref, const char* bodyClass, bool stampEverySheet)
{
    out += "<!DOCTYPE html>\n<html lang=\"es\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
    out += title;
    out += "</title>\n<style>";
    out += kStyle;
    if (stampEverySheet)
        appendSheetFoot(out, title, stamp);
    out += "</style>\n</head>\n";
    out += *bodyClass != '\0' ? std::string("<body class=\"") + bodyClass + "\">" : "<body>";
    out += "\n<header>\n<h1>";
    out += title;
    out += "</h1>\n<p>La semana que la importación enviará a Quelmar, leída de la carpeta <b>";
    out += stamp.folder;
    out += "</b>.</p>\n";
    if (!stamp.school.empty() || !stamp.schoolYear.empty()) {
        out += "<p>Centro: <b>" + stamp.school + "</b>";
        if (!stamp.schoolYear.empty())
            out += " · curso <b>" + stamp.schoolYear + "</b>";
        out += "</p>\n";
    }
    out += "<p>";
    if (!stamp.solucWritten.empty())
        out += "SOLUC escrito el " + stamp.solucWritten + " · ";
    out += "página hecha el " + stamp.made + ".</p>\n";
    if (!indexHref.empty())
        out += "<p class=\"volver\"><a href=\"" + indexHref + "\">Volver al índice</a></p>\n";
    out += "</header>\n<main>\n";
}

void closePage(std::string& out)
{
    out += "</main>\n</body>\n</html>\n";
}

void appendStamp(std::string& out, const PageStamp& stamp)
{
    out += "<p class=\"sello\">";
    appendStampWords(out, stamp);
    out += "</p>\n";
}

void appendStampWords(std::string& out, const PageStamp& stamp)
{
    if (!stamp.school.empty())
        out += stamp.school + (stamp.schoolYear.empty() ? "" : " " + stamp.schoolYear) + " · ";
    out += "Carpeta " + stamp.folder;
    if (!stamp.solucWritten.empty())
        out += " · SOLUC del " + stamp.solucWritten;
    out += " · hecha el " + stamp.made;
}

std::string hrefOf(std::string_view fileName)
{
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string href;
    for (const char c : fileName) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
            (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' || byte == '.' ||
            byte == '~') {
            href += c;
        } else {
            href += '%';
            href += kHex[byte >> 4];
            href += kHex[byte & 15];
        }
    }
    return href;
}

std::string plural(std::size_t count, const char* one, const char* many)
{
    std::string text;
    appendPlural(text, count, one, many);
    return text;
}

void appendPlural(std::string& out, std::size_t count, const char* one, const char* many)
{
    appendNumber(out, count);
    out += ' ';
    out += count == 1 ? one : many;
}

void appendNumber(std::string& out, std::size_t number)
{
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
    out.append(digits, end);
}

const char* kindWord(Kind kind)
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

const char* kindPlural(Kind kind)
{
    switch (kind) {
    case Kind::Teacher:
        return "Profesores";
    case Kind::Group:
        return "Grupos";
    case Kind::Room:
        break;
    }
    return "Aulas";
}

void appendGridId(std::string& out, Kind kind, std::uint32_t entity)
{
    out += kind == Kind::Teacher ? 'p' : (kind == Kind::Group ? 'g' : 'a');
    appendNumber(out, entity + std::size_t{1});
}

void appendCellId(std::string& out, Kind kind, std::uint32_t entity, std::uint32_t cell)
{
    appendGridId(out, kind, entity);
    if (cell == TimetableView::kOutside) {
        out += "-fuera";
        return;
    }
    out += "-c";
    appendNumber(out, cell + std::size_t{1});
}

NameOrder alphabetical(const std::vector<Entity>& entities)
{
    std::vector<std::string> keys;
    keys.reserve(entities.size());
    for (const Entity& entity : entities)
        keys.push_back(foldedForSorting(plainName(entity)));
    NameOrder result;
    result.order.resize(entities.size());
    for (std::uint32_t i = 0; i < entities.size(); ++i)
        result.order[i] = i;
    std::stable_sort(result.order.begin(), result.order.end(),
                     [&](std::uint32_t a, std::uint32_t b) {
                         return std::pair(std::string_view(keys[a]), entities[a].code) <
                                std::pair(std::string_view(keys[b]), entities[b].code);
                     });
    result.repeated.assign(entities.size(), false);
    for (std::size_t i = 1; i < result.order.size(); ++i) {
        const std::uint32_t a = result.order[i - 1];
        const std::uint32_t b = result.order[i];
        if (plainName(entities[a]) == plainName(entities[b]))
            result.repeated[a] = result.repeated[b] = true;
    }
    return result;
}

void appendShownName(std::string& out, const Entity& entity, bool repeated)
{
    if (entity.missing) {
        out += entity.codes;
        return;
    }
    out += entity.name;
    if (repeated)
        ((out += " (") += entity.code) += ')';
}

const std::string& plainName(const Entity& entity)
{
    return entity.missing ? entity.codes : entity.name;
}

void appendSlotWords(std::string& out, const TimetableView& view,
                     const TimetableView::Lesson& lesson)
{
    if (lesson.weekday >= 0)
        out += kWeekdayNames[static_cast<std::size_t>(lesson.weekday)];
    else
        out += "sin día de la semana";
    out += ", hora ";
    out += std::to_string(lesson.hour);
    out += " (";
    out += plainName(view.timeSlots[lesson.slot]);
    out += ")";
}

bool hasMissingPartner(const TimetableView& view, const TimetableView::Lesson& lesson)
{
    return view.subjects[lesson.subject].missing || view.timeSlots[lesson.slot].missing ||
           view.groups[lesson.group].missing || view.rooms[lesson.room].missing;
}

std::array<std::vector<GridMarks>, 3> countGridMarks(const TimetableView& view)
{
    std::array<std::vector<GridMarks>, 3> marks;
    for (const Kind kind : {Kind::Teacher, Kind::Group, Kind::Room})
        marks[static_cast<std::size_t>(kind)].resize(view.entities(kind).size());
    for (const TimetableView::Clash& clash : view.clashes)
        ++marks[static_cast<std::size_t>(clash.kind)][clash.entity].clashes;
    for (const TimetableView::Lesson& lesson : view.lessons) {
        if (!hasMissingPartner(view, lesson))
            continue;
        ++marks[static_cast<std::size_t>(Kind::Teacher)][lesson.teacher].missing;
        ++marks[static_cast<std::size_t>(Kind::Group)][lesson.group].missing;
        ++marks[static_cast<std::size_t>(Kind::Room)][lesson.room].missing;
    }
    return marks;
}

void appendMarkNote(std::string& out, const GridMarks& marks, const char* before,
                    const char* after)
{
    if (marks.clashes == 0 && marks.missing == 0)
        return;
    out += before;
    if (marks.clashes > 0)
        appendPlural(out, marks.clashes, "choque", "choques");
    if (marks.clashes > 0 && marks.missing > 0)
        out += " · ";
    if (marks.missing > 0)
        appendPlural(out, marks.missing, "clase con códigos sin pareja",
                     "clases con códigos sin pareja");
    out += after;
}

} // namespace tmq
