#include "timetable/ActivityLists.h"

#include "base/Cp1252.h"
#include "tables/SlotKey.h"
#include "timetable/RowIndex.h"
#include "xml/Envelope.h"

#include <limits>
#include <map>
#include <optional>
#include <set>

namespace tmq {

namespace {

// The weekday of SOLUC's DIA text "1" to "7", 0 for Monday; -1 for anything else.
int weekdayOfDay(const std::string& dayText)
{
    if (dayText.size() == 1 && dayText[0] >= '1' && dayText[0] <= '7')
        return dayText[0] - '1';
    return -1;
}

// Subject codes not beginning with a capital G are reported as this activity.
constexpr std::string_view kDefaultActivity = "G439";

// A field found by its name when it is first read, so that a missing field
// is reported where the reading would first need it.
class FieldOf {
public:
    FieldOf(DbfTable& table, const char* name) : table_(table), name_(name) {}
    std::string text() { return table_.asText(index()); }
    int integer() { return table_.asInteger(index()); }

private:
    int index()
    {
        if (index_ < 0)
            index_ = table_.fieldIndex(name_);
        return index_;
    }
    DbfTable& table_;
    const char* name_;
    int index_ = -1;
};

} // namespace

ActivityLists::Text ActivityLists::keep(std::string_view value)
{
    const std::size_t begin = texts_.size();
    appendTextMarkup(texts_, value);
    if (texts_.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("demasiado texto en las listas de actividades");
    return {static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(texts_.size() - begin)};
}

std::size_t ActivityLists::activityCount() const
{
    std::size_t count = 0;
    for (const Employee& employee : employees_)
        count += employee.activityCount;
    return count;
}

// Fills ActivityLists row by row in the order the lists are written, reading
// each value of a lookup table's row once.
class ActivityReader {
    using Partner = ImportJoins::Partner;

public:
    ActivityReader(ImportTables& tables, CommandLog& log, ImportJoins* joins)
        : tables_(tables), log_(log), joins_(joins), subjects_(tables.nomAsg, "COD"),
          slots_(tables.tramos, "DIHO"), rooms_(tables.aulas, "ABREV"),
          groups_(tables.grupos, "ABREV"), lessons_(tables.soluc, "PROF")
    {
    }

    ActivityLists read()
    {
        DbfTable& teachers = tables_.profesor;
        for (teachers.first(); !teachers.eof(); teachers.next()) {
            ActivityLists::Employee employee;
            employee.empleado = lists_.keep(empleado_.text());
            employee.tomaPos = lists_.keep(tomaPos_.text());
            requireXmlText("X_EMPLEADO", lists_.text(employee.empleado));
            requireXmlText("F_TOMAPOS", lists_.text(employee.tomaPos));
            employee.firstActivity = static_cast<std::uint32_t>(lists_.activities_.size());
            const std::string teacherKey = abrev_.text();
            teacher_ = "profesor '" + cp1252ToUtf8(teacherKey) + "'";
            if (joins_)
                joins_->teachers.push_back({teachers.recordNumber(), employee.firstActivity, 0});
            for (int row : lessons_.rowsFor(teacherKey)) {
                tables_.soluc.moveTo(row);
                if (lessonDay_.integer() == 0) {
                    if (joins_)
                        joins_->unplaced.push_back(
                            {static_cast<std::uint32_t>(lists_.employees_.size()), row});
                    tell(teacher_ + ": fila " + std::to_string(row + 1) +
                         " de SOLUC con DIA 0 (sin colocar): pasada por alto");
                    continue;
                }
                activity_ = teacher_ + ", ACTIVIDAD_" +
                            std::to_string(lists_.activities_.size() - employee.firstActivity + 1);
                readActivity(row);
            }
            employee.activityCount =
                static_cast<std::uint32_t>(lists_.activities_.size() - employee.firstActivity);
            lists_.employees_.push_back(employee);
            if (joins_)
                joins_->teachers.back().lessonCount = employee.activityCount;
            if (log_.wanted() || joins_)
                teacherKeys_.insert(teacherKey);
            if (log_.wanted()) {
                const std::uint32_t written = employee.activityCount;
                log_.line("EMPLEADO_" + std::to_string(lists_.employees_.size()) + ": " + teacher_ +
                          " (X_EMPLEADO '" + cp1252ToUtf8(empleado_.text()) + "'), " +
                          std::to_string(written) +
                          (written == 1 ? " actividad escrita" : " actividades escritas"));
            }
        }
        if (log_.wanted() || joins_)
            lessonsWithoutTeacher();
        return std::move(lists_);
    }

private:
    // A value of a lookup table's row, kept once however many lessons use it.
    class RowValues {
    public:
        RowValues(DbfTable& table, const char* field) : table_(table), field_(table, field) {}
        ActivityLists::Text at(int row, ActivityLists& lists)
        {
            if (static_cast<std::size_t>(row) >= kept_.size())
                kept_.resize(static_cast<std::size_t>(row) + 1);
            std::optional<ActivityLists::Text>& value = kept_[static_cast<std::size_t>(row)];
            if (!value) {
                table_.moveTo(row);
                value = lists.keep(field_.text());
            }
            return *value;
        }

    private:
        DbfTable& table_;
        FieldOf field_;
        std::vector<std::optional<ActivityLists::Text>> kept_;
    };

    // One lesson of the current SOLUC row. The fields are read in a fixed
    // order, so that a faulty table always fails at the same field.
    void readActivity(int solucRow)
    {
        ActivityLists::Activity activity;
        ImportJoins::Lesson joined;
        joined.soluc = solucRow;
        const std::string subjectKey = lessonSubject_.text();
        if (const std::optional<int> row = subjects_.firstRow(subjectKey)) {
            activity.subjectCode = subjectCodes_.at(*row, lists_);
            joined.subject = *row;
        } else {
            tellMissing(Partner::Subject, subjectKey);
        }
        // Checked in the order the values were once appended to the document.
        if (lists_.text(activity.subjectCode).starts_with('G'))
            requireXmlText("X_ACTIVIDAD", lists_.text(activity.subjectCode));

        const int weekday = weekdayOfDay(lessonDay_.text());
        joined.hour = lessonHour_.integer();
        joined.weekday = static_cast<std::int8_t>(weekday);
        makeSlotKey(slotKey_, weekday, joined.hour);
        if (const std::optional<int> row = slots_.firstRow(slotKey_)) {
            activity.slotCode = slotCodes_.at(*row, lists_);
            activity.weekdayNumber = slotDays_.at(*row, lists_);
            joined.slot = *row;
        } else {
            tellMissing(Partner::Slot, slotKey_);
        }
        requireXmlText("N_DIASEMANA", lists_.text(activity.weekdayNumber));
        requireXmlText("X_TRAMO", lists_.text(activity.slotCode));
        const std::string roomKey = lessonRoom_.text();
        if (const std::optional<int> row = rooms_.firstRow(roomKey)) {
            activity.room = roomValues_.at(*row, lists_);
            joined.room = *row;
        } else {
            tellMissing(Partner::Room, roomKey);
        }
        requireXmlText("X_DEPCENTRO", lists_.text(activity.room));
        const std::string groupKey = lessonGroup_.text();
        if (const std::optional<int> row = groups_.firstRow(groupKey)) {
            activity.unit = groupUnits_.at(*row, lists_);
            joined.group = *row;
        } else {
            tellMissing(Partner::Group, groupKey);
        }
        requireXmlText("X_UNIDAD", lists_.text(activity.unit));
        requireXmlText("X_MATERIAOMC", lists_.text(activity.subjectCode));
        lists_.activities_.push_back(activity);
        if (joins_)
            joins_->lessons.push_back(joined);
    }

    void tell(const std::string& line)
    {
        if (log_.wanted())
            log_.line(line);
    }

    // A code of SOLUC that its lookup table lacks: the value is written empty.
    void tellMissing(Partner partner, const std::string& key)
    {
        if (joins_)
            joins_->missing.push_back(
                {static_cast<std::uint32_t>(joins_->lessons.size()), partner, key});
        const PartnerNames& names = partnerNames(partner);
        if (log_.wanted())
            log_.line(activity_ + ": " + names.withArticle + " '" + cp1252ToUtf8(key) +
                      "' de SOLUC no está en " + names.table + " (" + names.key + ")" +
                      "; su valor queda vacío");
    }

    // The rows of SOLUC whose PROF is no teacher of PROFT never reach the
    // result; say how many there are for each such code, then the totals.
    void lessonsWithoutTeacher()
    {
        std::map<std::string, int> orphans;
        DbfTable& soluc = tables_.soluc;
        // Only with PROFT empty can SOLUC lack a readable PROF here, which the
        // lists did not need: its rows then carry no teacher's code at all.
        const std::optional<int> prof = soluc.findReadableField("PROF");
        for (soluc.first(); !soluc.eof(); soluc.next())
            if (const std::string code = prof ? soluc.asText(*prof) : std::string();
                !teacherKeys_.count(code))
                ++orphans[code];
        if (joins_)
            joins_->withoutTeacher = orphans;
        if (!log_.wanted())
            return;
        for (const auto& [code, rows] : orphans)
            log_.line("SOLUC: " + std::to_string(rows) + (rows == 1 ? " fila" : " filas") +
                      " del profesor '" + cp1252ToUtf8(code) +
                      "', que no está en PROFT: no pasan al resultado");
        const std::size_t teachers = lists_.employeeCount();
        const std::size_t activities = lists_.activityCount();
        log_.line("Resultado: " + std::to_string(teachers) +
                  (teachers == 1 ? " profesor, " : " profesores, ") + std::to_string(activities) +
                  (activities == 1 ? " actividad" : " actividades"));
    }

    ImportTables& tables_;
    CommandLog& log_;
    ImportJoins* joins_;
    std::string teacher_;
    std::string activity_;
    std::set<std::string> teacherKeys_;
    ActivityLists lists_;
    FirstRowIndex subjects_;
    FirstRowIndex slots_;
    FirstRowIndex rooms_;
    FirstRowIndex groups_;
    RowGroups lessons_;
    FieldOf empleado_{tables_.profesor, "X_EMPLEADO"};
    FieldOf tomaPos_{tables_.profesor, "F_TOMAPOS"};
    FieldOf abrev_{tables_.profesor, "ABREV"};
    FieldOf lessonDay_{tables_.soluc, "DIA"};
    FieldOf lessonHour_{tables_.soluc, "HORA"};
    FieldOf lessonSubject_{tables_.soluc, "ASIG"};
    FieldOf lessonRoom_{tables_.soluc, "AULA"};
    FieldOf lessonGroup_{tables_.soluc, "CODGRUPO"};
    RowValues subjectCodes_{tables_.nomAsg, "MATERIA"};
    RowValues slotCodes_{tables_.tramos, "CODDIHO"};
    RowValues slotDays_{tables_.tramos, "DIA"};
    RowValues roomValues_{tables_.aulas, "DEPCENTRO"};
    RowValues groupUnits_{tables_.grupos, "UNIDAD"};
    std::string slotKey_;
};

ActivityLists ImportarActividades(ImportTables& tables, CommandLog& log, ImportJoins* joins)
{
    return ActivityReader(tables, log, joins).read();
}

void ActivityLists::write(XmlMarkupSink& sink) const
{
    constexpr std::size_t kPiece = 1 << 16;
    std::string markup;
    std::uint32_t employeeNumber = 1;
    for (const Employee& employee : employees_) {
        openListMarkup(markup, "EMPLEADO_", employeeNumber++);
        appendValueMarkup(markup, "X_EMPLEADO", text(employee.empleado));
        appendValueMarkup(markup, "F_TOMAPOS", text(employee.tomaPos));
        for (std::uint32_t m = 0; m < employee.activityCount; ++m) {
            const Activity& a = activities_[employee.firstActivity + m];
            const std::string_view subjectCode = text(a.subjectCode);
            openListMarkup(markup, "ACTIVIDAD_", m + 1);
            // Escaping never makes or unmakes a leading "G".
            appendValueMarkup(markup, "X_ACTIVIDAD",
                              subjectCode.starts_with('G') ? subjectCode : kDefaultActivity);
            appendValueMarkup(markup, "N_DIASEMANA", text(a.weekdayNumber));
            appendValueMarkup(markup, "X_TRAMO", text(a.slotCode));
            appendValueMarkup(markup, "X_DEPCENTRO", text(a.room));
            appendValueMarkup(markup, "X_UNIDAD", text(a.unit));
            appendValueMarkup(markup, "X_MATERIAOMC", subjectCode);
            closeListMarkup(markup);
            if (markup.size() >= kPiece) {
                sink.write(markup);
                markup.clear();
            }
        }
        closeListMarkup(markup);
    }
    sink.write(markup);
}

} // namespace tmq
