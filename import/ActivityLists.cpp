#include "import/ActivityLists.h"

#include "import/RowIndex.h"
#include "xml/Envelope.h"

namespace tmq {

namespace {

// The weekday letter for SOLUC's DIA text "1" to "7"; empty for anything else.
std::string weekdayLetter(const std::string& dayText)
{
    static constexpr std::string_view kLetters = "LMXJVSD";
    if (dayText.size() == 1 && dayText[0] >= '1' && dayText[0] <= '7')
        return std::string(1, kLetters[static_cast<std::size_t>(dayText[0] - '1')]);
    return {};
}

// Subject codes not beginning with a capital G are reported as this activity.
constexpr const char* kDefaultActivity = "G439";

class ActivityWriter {
public:
    ActivityWriter(XmlDocument& doc, ImportTables& tables)
        : doc_(doc), tables_(tables), subjects_(tables.nomAsg, "COD"),
          slots_(tables.tramos, "DIHO"), rooms_(tables.aulas, "ABREV"),
          groups_(tables.grupos, "ABREV"), lessons_(tables.soluc, "PROF")
    {
    }

    void writeTeachers(XmlElement section)
    {
        DbfTable& teachers = tables_.profesor;
        int employeeNumber = 1;
        for (teachers.first(); !teachers.eof(); teachers.next()) {
            const std::string empleado = teachers.asText("X_EMPLEADO");
            const std::string tomaPos = teachers.asText("F_TOMAPOS");
            XmlElement employee =
                appendList(doc_, section, "EMPLEADO_" + std::to_string(employeeNumber++));
            appendValue(doc_, employee, "X_EMPLEADO", empleado);
            appendValue(doc_, employee, "F_TOMAPOS", tomaPos);

            const std::string teacherKey = teachers.asText("ABREV");
            int activityNumber = 1;
            for (int row : lessons_.rowsFor(teacherKey)) {
                tables_.soluc.moveTo(row);
                if (tables_.soluc.asInteger("DIA") == 0)
                    continue;
                writeActivity(employee, activityNumber++);
            }
        }
    }

private:
    // One lesson of the current SOLUC row. The fields are read in a fixed
    // order, so that a faulty table always fails at the same field.
    void writeActivity(XmlElement employee, int number)
    {
        DbfTable& lesson = tables_.soluc;
        XmlElement activity = appendList(doc_, employee, "ACTIVIDAD_" + std::to_string(number));

        std::string subjectCode;
        if (subjects_.moveToFirst(lesson.asText("ASIG")))
            subjectCode = tables_.nomAsg.asText("MATERIA");
        appendValue(doc_, activity, "X_ACTIVIDAD",
                    !subjectCode.empty() && subjectCode.front() == 'G' ? subjectCode
                                                                       : kDefaultActivity);

        std::string slotCode;
        std::string weekdayNumber;
        const std::string letter = weekdayLetter(lesson.asText("DIA"));
        const std::string slotKey = letter + std::to_string(lesson.asInteger("HORA"));
        if (slots_.moveToFirst(slotKey)) {
            slotCode = tables_.tramos.asText("CODDIHO");
            weekdayNumber = tables_.tramos.asText("DIA");
        }
        appendValue(doc_, activity, "N_DIASEMANA", weekdayNumber);
        appendValue(doc_, activity, "X_TRAMO", slotCode);

        std::string room;
        if (rooms_.moveToFirst(lesson.asText("AULA")))
            room = tables_.aulas.asText("DEPCENTRO");
        appendValue(doc_, activity, "X_DEPCENTRO", room);

        std::string unit;
        if (groups_.moveToFirst(lesson.asText("CODGRUPO")))
            unit = tables_.grupos.asText("UNIDAD");
        appendValue(doc_, activity, "X_UNIDAD", unit);

        appendValue(doc_, activity, "X_MATERIAOMC", subjectCode);
    }

    XmlDocument& doc_;
    ImportTables& tables_;
    FirstRowIndex subjects_;
    FirstRowIndex slots_;
    FirstRowIndex rooms_;
    FirstRowIndex groups_;
    RowGroups lessons_;
};

} // namespace

void ImportarActividades(XmlDocument& doc, XmlElement section, ImportTables& tables)
{
    ActivityWriter(doc, tables).writeTeachers(section);
}

} // namespace tmq
