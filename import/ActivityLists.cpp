#include "import/ActivityLists.h"

#include "import/RowIndex.h"
#include "xml/Envelope.h"

#include <limits>
#include <optional>

namespace tmq {

namespace {

// The weekday letter for SOLUC's DIA text "1" to "7"; empty for anything else.
std::string_view weekdayLetter(const std::string& dayText)
{
    static constexpr std::string_view kLetters = "LMXJVSD";
    if (dayText.size() == 1 && dayText[0] >= '1' && dayText[0] <= '7')
        return kLetters.substr(static_cast<std::size_t>(dayText[0] - '1'), 1);
    return {};
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
public:
    explicit ActivityReader(ImportTables& tables)
        : tables_(tables), subjects_(tables.nomAsg, "COD"), slots_(tables.tramos, "DIHO"),
          rooms_(tables.aulas, "ABREV"), groups_(tables.grupos, "ABREV"),
          lessons_(tables.soluc, "PROF")
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
            for (int row : lessons_.rowsFor(teacherKey)) {
                tables_.soluc.moveTo(row);
                if (lessonDay_.integer() == 0)
                    continue;
                readActivity();
            }
            employee.activityCount =
                static_cast<std::uint32_t>(lists_.activities_.size() - employee.firstActivity);
            lists_.employees_.push_back(employee);
        }
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
    void readActivity()
    {
        ActivityLists::Activity activity;
        if (const std::optional<int> row = subjects_.firstRow(lessonSubject_.text()))
            activity.subjectCode = subjectCodes_.at(*row, lists_);
        // Checked in the order the values were once appended to the document.
        if (lists_.text(activity.subjectCode).starts_with('G'))
            requireXmlText("X_ACTIVIDAD", lists_.text(activity.subjectCode));

        slotKey_.assign(weekdayLetter(lessonDay_.text()));
        slotKey_ += std::to_string(lessonHour_.integer());
        if (const std::optional<int> row = slots_.firstRow(slotKey_)) {
            activity.slotCode = slotCodes_.at(*row, lists_);
            activity.weekdayNumber = slotDays_.at(*row, lists_);
        }
        requireXmlText("N_DIASEMANA", lists_.text(activity.weekdayNumber));
        requireXmlText("X_TRAMO", lists_.text(activity.slotCode));
        if (const std::optional<int> row = rooms_.firstRow(lessonRoom_.text()))
            activity.room = roomValues_.at(*row, lists_);
        requireXmlText("X_DEPCENTRO", lists_.text(activity.room));
        if (const std::optional<int> row = groups_.firstRow(lessonGroup_.text()))
            activity.unit = groupUnits_.at(*row, lists_);
        requireXmlText("X_UNIDAD", lists_.text(activity.unit));
        requireXmlText("X_MATERIAOMC", lists_.text(activity.subjectCode));
        lists_.activities_.push_back(activity);
    }

    ImportTables& tables_;
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

ActivityLists ImportarActividades(ImportTables& tables)
{
    return ActivityReader(tables).read();
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
