#include "page/TimetableView.h"

#include "page/HtmlText.h"
#include "tables/SlotKey.h"

#include <algorithm>
#include <array>
#include <optional>
#include <set>
#include <unordered_map>

namespace tmq {

namespace {

using Entity = TimetableView::Entity;
using Partner = ImportJoins::Partner;

// A field read where the table has it: the import does not need it.
class OptionalField {
public:
    OptionalField(const DbfTable& table, std::string_view name)
        : table_(table), index_(table.findReadableField(name))
    {
    }
    std::string text() const { return index_ ? table_.asText(*index_) : std::string(); }
    bool present() const { return index_.has_value(); }

private:
    const DbfTable& table_;
    std::optional<int> index_;
};

std::string html(std::string_view cp1252)
{
    std::string text;
    appendHtmlFromCp1252(text, cp1252);
    return text;
}

// An entity its table has: `name` as the page shows it, `code` as SOLUC
// writes it, and the value of `field` the import sends for it.
Entity foundEntity(const char* what, const std::string& name, const std::string& code,
                   const char* field, const std::string& sent)
{
    Entity entity;
    entity.name = html(name);
    entity.cell = entity.name;
    entity.codes = std::string(what) + " " + html(code) + ", " + field + " " + html(sent);
    entity.code = html(code);
    entity.codeAndSent = entity.code + "→" + html(sent);
    return entity;
}

// A code of SOLUC its table lacks: "Aula 'X9': no está en AULAT".
Entity missingEntity(const char* what, const std::string& code, const char* table)
{
    Entity entity;
    entity.name = code.empty() ? "(en blanco)" : html(code);
    entity.codes = std::string(what) + " '" + html(code) + "': no está en " + table;
    entity.cell = "<span class=\"sin\">" + entity.codes + "</span>";
    entity.code = entity.name;
    entity.codeAndSent = entity.code + " (sin valor)";
    entity.missing = true;
    return entity;
}

// The entities of one lookup table, one per distinct key in record order,
// then one per code of SOLUC that the table lacks, as first met.
class EntityTable {
public:
    explicit EntityTable(std::vector<Entity>& entities) : entities_(entities) {}

    // A row of the table; a key met before gives no new entity.
    template <typename Make> void addRow(int row, const std::string& key, Make make)
    {
        const auto [found, added] =
            byKey_.try_emplace(key, static_cast<std::uint32_t>(entities_.size()));
        if (added)
            entities_.push_back(make());
        if (static_cast<std::size_t>(row) >= byRow_.size())
            byRow_.resize(static_cast<std::size_t>(row) + 1, 0);
        byRow_[static_cast<std::size_t>(row)] = found->second;
    }

    std::uint32_t ofRow(int row) const { return byRow_.at(static_cast<std::size_t>(row)); }

    // The entity of a code the table lacks, made by `make` when first met.
    template <typename Make> std::uint32_t ofMissing(const std::string& code, Make make)
    {
        const auto [found, added] =
            missing_.try_emplace(code, static_cast<std::uint32_t>(entities_.size()));
        if (added)
            entities_.push_back(make());
        return found->second;
    }

private:
    std::vector<Entity>& entities_;
    std::unordered_map<std::string, std::uint32_t> byKey_;
    std::unordered_map<std::string, std::uint32_t> missing_;
    std::vector<std::uint32_t> byRow_;
};

// Groups the lessons by the grid of `kind` each belongs to, keeping reading
// order within a grid: a counting sort, linear in the lessons.
TimetableView::GridLessons groupLessons(const std::vector<TimetableView::Lesson>& lessons,
                                        std::size_t grids,
                                        std::uint32_t TimetableView::Lesson::*grid)
{
    TimetableView::GridLessons result;
    result.start.assign(grids + 1, 0);
    for (const TimetableView::Lesson& lesson : lessons)
        ++result.start[lesson.*grid + 1];
    for (std::size_t g = 0; g < grids; ++g)
        result.start[g + 1] += result.start[g];
    result.lessons.resize(lessons.size());
    std::vector<std::uint32_t> next(result.start.begin(), result.start.end() - 1);
    for (std::uint32_t i = 0; i < lessons.size(); ++i)
        result.lessons[next[lessons[i].*grid]++] = i;
    return result;
}

class ViewBuilder {
public:
    ViewBuilder(ImportTables& tables, const ImportJoins& joins) : tables_(tables), joins_(joins) {}

    TimetableView build()
    {
        readSlots();
        readTeachers();
        readSubjects();
        readGroups();
        readRooms();
        readLessons();
        readFindings();
        view_.byTeacher =
            groupLessons(view_.lessons, view_.teachers.size(), &TimetableView::Lesson::teacher);
        view_.byGroup =
            groupLessons(view_.lessons, view_.groups.size(), &TimetableView::Lesson::group);
        view_.byRoom =
            groupLessons(view_.lessons, view_.rooms.size(), &TimetableView::Lesson::room);
        findClashes();
        return std::move(view_);
    }

private:
    static std::string orCode(const std::string& name, const std::string& code)
    {
        if (!name.empty())
            return name;
        return code.empty() ? "(en blanco)" : code;
    }

    void readSubjects()
    {
        const OptionalField name(tables_.nomAsg, "NOMBRE");
        const OptionalField materia(tables_.nomAsg, "MATERIA");
        readTable(tables_.nomAsg, "COD", subjects_, [&](const std::string& code) {
            return foundEntity("Asignatura", orCode(name.text(), code), code, "MATERIA",
                               materia.text());
        });
    }

    // A group is named "1 ESO A" from CURSO, NIVEL and GRUPO, or by its code
    // when CURSO and GRUPO say nothing.
    void readGroups()
    {
        const OptionalField curso(tables_.grupos, "CURSO");
        const OptionalField nivel(tables_.grupos, "NIVEL");
        const OptionalField grupo(tables_.grupos, "GRUPO");
        const OptionalField unidad(tables_.grupos, "UNIDAD");
        readTable(tables_.grupos, "ABREV", groups_, [&](const std::string& code) {
            const std::string course = curso.text();
            const std::string letter = grupo.text();
            std::string name;
            for (const std::string& part : {course, nivel.text(), letter}) {
                if (part.empty())
                    continue;
                if (!name.empty())
                    name += ' ';
                name += part;
            }
            return foundEntity("Grupo", course.empty() && letter.empty() ? orCode({}, code) : name,
                               code, "UNIDAD", unidad.text());
        });
    }

    void readRooms()
    {
        const OptionalField name(tables_.aulas, "NOMBRE");
        const OptionalField depCentro(tables_.aulas, "DEPCENTRO");
        readTable(tables_.aulas, "ABREV", rooms_, [&](const std::string& code) {
            return foundEntity("Aula", orCode(name.text(), code), code, "DEPCENTRO",
                               depCentro.text());
        });
    }

    // The columns and rows of the grids: the weekdays and hours of the slots
    // of DIASHORAST that a lesson can find, and each slot as an entity.
    void readSlots()
    {
        DbfTable& table = tables_.tramos;
        const OptionalField diho(table, "DIHO");
        const OptionalField code(table, "CODDIHO");
        const OptionalField from(table, "HORADESDE");
        const OptionalField to(table, "HORAHASTA");
        std::set<int> weekdays;
        std::map<int, std::string> hours; // the times of the first slot of each hour
        std::vector<std::pair<std::pair<int, int>, std::uint32_t>> placed;
        for (table.first(); !table.eof(); table.next()) {
            ++view_.slotRows;
            const std::string key = diho.text();
            slots_.addRow(table.recordNumber(), key,
                          [&] { return foundEntity("Tramo", key, key, "CODDIHO", code.text()); });
            const std::optional<SlotPlace> slot = readSlotKey(key);
            if (!slot)
                continue;
            const std::pair place{slot->weekday, slot->period};
            weekdays.insert(place.first);
            const std::string begins = from.text();
            const std::string ends = to.text();
            std::string times = html(begins);
            if (!ends.empty())
                times += (begins.empty() ? "" : "–") + html(ends);
            hours.try_emplace(place.second, times);
            placed.emplace_back(place, slots_.ofRow(table.recordNumber()));
        }
        view_.weekdays.assign(weekdays.begin(), weekdays.end());
        for (const auto& [hour, times] : hours)
            view_.hours.push_back({hour, times});
        column_.fill(-1);
        for (std::size_t c = 0; c < view_.weekdays.size(); ++c)
            column_[static_cast<std::size_t>(view_.weekdays[c])] = static_cast<int>(c);
        for (std::size_t r = 0; r < view_.hours.size(); ++r)
            row_.emplace(view_.hours[r].hour, static_cast<std::uint32_t>(r));
        view_.cellSlots.assign(view_.cellCount(), -1);
        for (const auto& [place, slot] : placed) {
            std::int32_t& cell = view_.cellSlots[cellOf(place.first, place.second)];
            if (cell < 0) // the first slot of a DIHO is the one lessons find
                cell = static_cast<std::int32_t>(slot);
        }
    }

    std::uint32_t cellOf(int weekday, int hour) const
    {
        if (weekday < 0 || column_[static_cast<std::size_t>(weekday)] < 0)
            return TimetableView::kOutside;
        const auto row = row_.find(hour);
        if (row == row_.end())
            return TimetableView::kOutside;
        return row->second * static_cast<std::uint32_t>(view_.weekdays.size()) +
               static_cast<std::uint32_t>(column_[static_cast<std::size_t>(weekday)]);
    }

    void readTeachers()
    {
        DbfTable& table = tables_.profesor;
        const OptionalField abrev(table, "ABREV");
        const OptionalField name(table, "NOMBRE");
        const OptionalField empleado(table, "X_EMPLEADO");
        for (const ImportJoins::Teacher& teacher : joins_.teachers) {
            table.moveTo(teacher.proft);
            const std::string code = abrev.text();
            std::string shown = name.text();
            if (shown.empty())
                shown = code.empty() ? "(sin ABREV)" : code;
            view_.teachers.push_back(
                foundEntity("Profesor", shown, code, "X_EMPLEADO", empleado.text()));
        }
    }

    template <typename Make>
    void readTable(DbfTable& table, const char* keyField, EntityTable& entities, Make make)
    {
        // Without its key, a table no lesson can have found gives no grids.
        const OptionalField key(table, keyField);
        if (!key.present())
            return;
        for (table.first(); !table.eof(); table.next()) {
            const std::string code = key.text();
            entities.addRow(table.recordNumber(), code, [&] { return make(code); });
        }
    }

    void readLessons()
    {
        view_.lessons.reserve(joins_.lessons.size());
        for (std::uint32_t t = 0; t < joins_.teachers.size(); ++t) {
            const ImportJoins::Teacher& teacher = joins_.teachers[t];
            for (std::uint32_t i = 0; i < teacher.lessonCount; ++i) {
                const ImportJoins::Lesson& joined = joins_.lessons[teacher.firstLesson + i];
                TimetableView::Lesson lesson;
                lesson.teacher = t;
                lesson.soluc = joined.soluc;
                lesson.hour = joined.hour;
                lesson.weekday = joined.weekday;
                lesson.cell = cellOf(joined.weekday, joined.hour);
                // Missing partners are filled in from the findings.
                lesson.subject = joined.subject < 0 ? 0 : subjects_.ofRow(joined.subject);
                lesson.slot = joined.slot < 0 ? 0 : slots_.ofRow(joined.slot);
                lesson.group = joined.group < 0 ? 0 : groups_.ofRow(joined.group);
                lesson.room = joined.room < 0 ? 0 : rooms_.ofRow(joined.room);
                view_.lessons.push_back(lesson);
            }
        }
    }

    void readFindings()
    {
        for (const ImportJoins::Unplaced& unplaced : joins_.unplaced) {
            if (view_.unplaced.empty() || view_.unplaced.back().teacher != unplaced.teacher)
                view_.unplaced.push_back({unplaced.teacher, {}});
            view_.unplaced.back().rows.push_back(unplaced.soluc);
        }
        view_.withoutTeacher = joins_.withoutTeacher;

        // Per partner, the codes missing in the order first met, and where
        // each one's count is.
        struct Unmatched {
            std::vector<TimetableView::Unmatched> list;
            std::unordered_map<std::uint32_t, std::size_t> at;
        };
        std::array<Unmatched, 4> byPartner;
        for (const ImportJoins::Missing& missing : joins_.missing) {
            const Partner partner = missing.partner;
            const std::uint32_t entity = tableOf(partner).ofMissing(missing.code, [&] {
                return missingEntity(partnerNames(partner).noun, missing.code,
                                     partnerNames(partner).table);
            });
            view_.lessons.at(missing.lesson).*lessonField(partner) = entity;
            Unmatched& unmatched = byPartner[static_cast<std::size_t>(partner)];
            const auto [at, added] = unmatched.at.try_emplace(entity, unmatched.list.size());
            if (added)
                unmatched.list.push_back({partner, entity, 0});
            ++unmatched.list[at->second].lessons;
        }
        for (const Unmatched& unmatched : byPartner)
            view_.unmatched.insert(view_.unmatched.end(), unmatched.list.begin(),
                                   unmatched.list.end());
    }

    EntityTable& tableOf(Partner partner)
    {
        switch (partner) {
        case Partner::Subject:
            return subjects_;
        case Partner::Slot:
            return slots_;
        case Partner::Room:
            return rooms_;
        case Partner::Group:
            break;
        }
        return groups_;
    }

    static std::uint32_t TimetableView::Lesson::*lessonField(Partner partner)
    {
        switch (partner) {
        case Partner::Subject:
            return &TimetableView::Lesson::subject;
        case Partner::Slot:
            return &TimetableView::Lesson::slot;
        case Partner::Room:
            return &TimetableView::Lesson::room;
        case Partner::Group:
            break;
        }
        return &TimetableView::Lesson::group;
    }

    void findClashes()
    {
        TimetableView::Cells cells;
        for (const TimetableView::Kind kind :
             {TimetableView::Kind::Teacher, TimetableView::Kind::Group,
              TimetableView::Kind::Room}) {
            const auto count = static_cast<std::uint32_t>(view_.entities(kind).size());
            for (std::uint32_t entity = 0; entity < count; ++entity) {
                view_.cellsOf(kind, entity, cells);
                for (std::size_t cell = 0; cell < view_.cellCount(); ++cell) {
                    const auto inCell = cells.of(cell);
                    if (inCell.size() > 1)
                        view_.clashes.push_back({kind, entity, {inCell.begin(), inCell.end()}});
                }
                // Outside the grid, lessons of one weekday and hour follow each other.
                const auto outside = cells.of(view_.cellCount());
                for (std::size_t i = 0; i < outside.size();) {
                    std::size_t j = i + 1;
                    while (j < outside.size() && sameSlot(outside[i], outside[j]))
                        ++j;
                    if (j - i > 1)
                        view_.clashes.push_back(
                            {kind, entity, {outside.begin() + i, outside.begin() + j}});
                    i = j;
                }
            }
        }
    }

    bool sameSlot(std::uint32_t a, std::uint32_t b) const
    {
        return view_.lessons[a].weekday == view_.lessons[b].weekday &&
               view_.lessons[a].hour == view_.lessons[b].hour;
    }

    ImportTables& tables_;
    const ImportJoins& joins_;
    TimetableView view_;
    EntityTable subjects_{view_.subjects};
    EntityTable slots_{view_.timeSlots};
    EntityTable groups_{view_.groups};
    EntityTable rooms_{view_.rooms};
    std::array<int, 7> column_{};
    std::unordered_map<int, std::uint32_t> row_;
};

} // namespace

const std::vector<TimetableView::Entity>& TimetableView::entities(Kind kind) const
{
    switch (kind) {
    case Kind::Teacher:
        return teachers;
    case Kind::Group:
        return groups;
    case Kind::Room:
        break;
    }
    return rooms;
}

void TimetableView::cellsOf(Kind kind, std::uint32_t entity, Cells& cells) const
{
    const GridLessons& grids =
        kind == Kind::Teacher ? byTeacher : (kind == Kind::Group ? byGroup : byRoom);
    const auto lessonsOfGrid =
        std::span<const std::uint32_t>(grids.lessons)
            .subspan(grids.start[entity], grids.start[entity + 1] - grids.start[entity]);
    const std::size_t outside = cellCount();
    const auto bucket = [outside](const Lesson& lesson) {
        return lesson.cell == kOutside ? outside : static_cast<std::size_t>(lesson.cell);
    };
    cells.start.assign(outside + 2, 0);
    for (const std::uint32_t i : lessonsOfGrid)
        ++cells.start[bucket(lessons[i]) + 1];
    for (std::size_t c = 0; c <= outside; ++c)
        cells.start[c + 1] += cells.start[c];
    cells.order.resize(lessonsOfGrid.size());
    std::vector<std::uint32_t> next(cells.start.begin(), cells.start.end() - 1);
    for (const std::uint32_t i : lessonsOfGrid)
        cells.order[next[bucket(lessons[i])]++] = i;
    const auto outsideBegin = cells.order.begin() + cells.start[outside];
    std::stable_sort(outsideBegin, cells.order.end(), [this](std::uint32_t a, std::uint32_t b) {
        return std::pair(lessons[a].weekday, lessons[a].hour) <
               std::pair(lessons[b].weekday, lessons[b].hour);
    });
}

TimetableView buildTimetableView(ImportTables& tables, const ImportJoins& joins)
{
    return ViewBuilder(tables, joins).build();
}

} // namespace tmq
