#include "import/ActivityLists.h"

#include "core/Cp1252.h"
#include "import/RowIndex.h"
#include "xml/Envelope.h"

#include <map>
#include <set>

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
    ActivityWriter(XmlDocument& doc, ImportTables& tables, Report& report)
        : doc_(doc), tables_(tables), report_(report), subjects_(tables.nomAsg, "COD"),
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
            teacher_ = "profesor '" + cp1252ToUtf8(teacherKey) + "'";
            int activityNumber = 1;
            for (int row : lessons_.rowsFor(teacherKey)) {
                tables_.soluc.moveTo(row);
                if (tables_.soluc.asInteger("DIA") == 0) {
                    tell(teacher_ + ": fila " + std::to_string(row + 1) +
                         " de SOLUC con DIA 0 (sin colocar): pasada por alto");
                    continue;
                }
                writeActivity(employee, activityNumber++);
            }
            if (report_.wanted()) {
                const int written = activityNumber - 1;
                teacherKeys_.insert(teacherKey);
                activityCount_ += static_cast<std::size_t>(written);
                report_.line("EMPLEADO_" + std::to_string(employeeNumber - 1) + ": " + teacher_ +
                             " (X_EMPLEADO '" + cp1252ToUtf8(empleado) + "'), " +
                             std::to_string(written) +
                             (written == 1 ? " actividad escrita" : " actividades escritas"));
            }
        }
        if (report_.wanted())
            reportLessonsWithoutTeacher(employeeNumber - 1);
    }

private:
    // One lesson of the current SOLUC row. The fields are read in a fixed
    // order, so that a faulty table always fails at the same field.
    void writeActivity(XmlElement employee, int number)
    {
        DbfTable& lesson = tables_.soluc;
        XmlElement activity = appendList(doc_, employee, "ACTIVIDAD_" + std::to_string(number));

        activity_ = teacher_ + ", ACTIVIDAD_" + std::to_string(number);
        std::string subjectCode;
        const std::string subjectKey = lesson.asText("ASIG");
        if (subjects_.moveToFirst(subjectKey))
            subjectCode = tables_.nomAsg.asText("MATERIA");
        else
            tellMissing("la asignatura", subjectKey, "ASIGNOMT (COD)");
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
        } else {
            tellMissing("el tramo", slotKey, "DIASHORAST (DIHO)");
        }
        appendValue(doc_, activity, "N_DIASEMANA", weekdayNumber);
        appendValue(doc_, activity, "X_TRAMO", slotCode);

        std::string room;
        const std::string roomKey = lesson.asText("AULA");
        if (rooms_.moveToFirst(roomKey))
            room = tables_.aulas.asText("DEPCENTRO");
        else
            tellMissing("el aula", roomKey, "AULAT (ABREV)");
        appendValue(doc_, activity, "X_DEPCENTRO", room);

        std::string unit;
        const std::string groupKey = lesson.asText("CODGRUPO");
        if (groups_.moveToFirst(groupKey))
            unit = tables_.grupos.asText("UNIDAD");
        else
            tellMissing("el grupo", groupKey, "GRUPOST (ABREV)");
        appendValue(doc_, activity, "X_UNIDAD", unit);

        appendValue(doc_, activity, "X_MATERIAOMC", subjectCode);
    }

    void tell(const std::string& line)
    {
        if (report_.wanted())
            report_.line(line);
    }

    // A code of SOLUC that its lookup table lacks: the value is written empty.
    void tellMissing(const char* what, const std::string& key, const char* table)
    {
        tell(activity_ + ": " + what + " '" + cp1252ToUtf8(key) + "' de SOLUC no está en " + table +
             "; su valor queda vacío");
    }

    // The rows of SOLUC whose PROF is no teacher of PROFT never reach the
    // result; say how many there are for each such code.
    void reportLessonsWithoutTeacher(int teachers)
    {
        std::map<std::string, int> orphans;
        DbfTable& soluc = tables_.soluc;
        soluc.clearFilter();
        for (soluc.first(); !soluc.eof(); soluc.next())
            if (const std::string prof = soluc.asText("PROF"); !teacherKeys_.count(prof))
                ++orphans[prof];
        for (const auto& [prof, rows] : orphans)
            report_.line("SOLUC: " + std::to_string(rows) + (rows == 1 ? " fila" : " filas") +
                         " del profesor '" + cp1252ToUtf8(prof) +
                         "', que no está en PROFT: no pasan al resultado");
        report_.line("Resultado: " + std::to_string(teachers) +
                     (teachers == 1 ? " profesor, " : " profesores, ") +
                     std::to_string(activityCount_) +
                     (activityCount_ == 1 ? " actividad" : " actividades"));
    }

    XmlDocument& doc_;
    ImportTables& tables_;
    Report& report_;
    std::string teacher_;
    std::string activity_;
    std::set<std::string> teacherKeys_;
    std::size_t activityCount_ = 0;
    FirstRowIndex subjects_;
    FirstRowIndex slots_;
    FirstRowIndex rooms_;
    FirstRowIndex groups_;
    RowGroups lessons_;
};

} // namespace

void ImportarActividades(XmlDocument& doc, XmlElement section, ImportTables& tables, Report& report)
{
    ActivityWriter(doc, tables, report).writeTeachers(section);
}

} // namespace tmq
