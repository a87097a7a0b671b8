#pragma once

// What the files of the timetable page share: the style, the head and the
// stamp of every file, names and ids of grids, the alphabetical order.

#include "page/TimetableView.h"

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tmq {

using PageSink = std::function<void(std::string_view)>;

// Where and when a set of pages was made, as HTML text, shown on every
// file and on every printed grid so that two printouts can be told apart.
struct PageStamp {
    std::string folder;       // the working folder
    std::string solucWritten; // "10/12/2026 14:52"; empty when unknown
    std::string made;         // when the pages were made
    std::string school;       // from the document, when one is given
    std::string schoolYear;
};

// The file names of a set, relative to the index's folder: the index
// "Horario.html" and beside it "Horario-profesores.html" and the like.
struct PageSetNames {
    std::string index;
    std::array<std::string, 3> grids; // by TimetableView::Kind
    std::string freeTeachers;
    std::string staff;

    static PageSetNames forIndex(std::string_view indexFileName);
    std::vector<std::string> all() const;
};

// A page's text, handed to the sink in pieces of about a megabyte.
class PageText {
public:
    // Room for a whole piece from the start: no copying as it grows.
    explicit PageText(const PageSink& sink) : sink_(sink) { text_.reserve(kPiece + (1 << 16)); }
    std::string& operator*() { return text_; }
    void flushIfLarge();
    void finish();

private:
    static constexpr std::size_t kPiece = 1 << 20;
    const PageSink& sink_;
    std::string text_;
};

// The doctype, head and style, then the header: `title` as the heading,
// the stamp, and a link to the index unless this is the index. Unless each
// part of the file carries its own stamp, every printed sheet shows the
// title and stamp at its foot.
void openPage(std::string& out, std::string_view title, const PageStamp& stamp,
              const std::string& indexHref, const char* bodyClass = "",
              bool stampEverySheet = true);
void closePage(std::string& out);

// "Carpeta … · SOLUC del … · Página hecha el …", for a printed sheet.
void appendStamp(std::string& out, const PageStamp& stamp);
// The same words, as HTML text without the paragraph.
void appendStampWords(std::string& out, const PageStamp& stamp);

// A file name of the set as the value of an href, percent-encoded.
std::string hrefOf(std::string_view fileName);

std::string plural(std::size_t count, const char* one, const char* many);
// "3 clases" and the like, appended.
void appendPlural(std::string& out, std::size_t count, const char* one, const char* many);
void appendNumber(std::string& out, std::size_t number);

const char* kindWord(TimetableView::Kind kind);   // "Profesor"
const char* kindPlural(TimetableView::Kind kind); // "Profesores"

// "p3", "g1", "a12": the id of a grid within its kind's file.
void appendGridId(std::string& out, TimetableView::Kind kind, std::uint32_t entity);
// The id of a cell of a grid, "p3-c12", the target of a clash's link.
void appendCellId(std::string& out, TimetableView::Kind kind, std::uint32_t entity,
                  std::uint32_t cell);

extern const std::array<const char*, 7> kWeekdayNames;  // "lunes"
extern const std::array<const char*, 7> kWeekdayTitles; // "Lunes"

// The entities of a kind in alphabetical order (accents and letter case
// aside), and for each whether another one shows the same name.
struct NameOrder {
    std::vector<std::uint32_t> order;
    std::vector<bool> repeated;
};
NameOrder alphabetical(const std::vector<TimetableView::Entity>& entities);

// The name an index or heading shows: the name, with its code when the
// name repeats; what is missing for a code its table lacks.
void appendShownName(std::string& out, const TimetableView::Entity& entity, bool repeated);

// The name in running text: the name, or what is missing.
const std::string& plainName(const TimetableView::Entity& entity);

// The columns and header row of a week's table: the hour, then each weekday.
void appendWeekHead(std::string& out, const TimetableView& view);

// "lunes, hora 1 (L1)", or the weekday and hour of a lesson outside the grid.
void appendSlotWords(std::string& out, const TimetableView& view,
                     const TimetableView::Lesson& lesson);

// Whether a partner of the lesson is a code its table lacks.
bool hasMissingPartner(const TimetableView& view, const TimetableView::Lesson& lesson);

// What each grid holds of clashes and of lessons with a missing partner.
struct GridMarks {
    std::uint32_t clashes = 0;
    std::uint32_t missing = 0;
};
std::array<std::vector<GridMarks>, 3> countGridMarks(const TimetableView& view);

// "2 choques · 1 clase con códigos sin pareja", when the grid has either.
void appendMarkNote(std::string& out, const GridMarks& marks, const char* before,
                    const char* after);

} // namespace tmq
