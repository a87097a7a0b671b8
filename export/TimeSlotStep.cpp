#include "export/ExportSteps.h"
#include "tables/SlotKey.h"

namespace tmq {

namespace {

// Slots of the values of a time slot; "NOMBRE" and "DIA" feed the same one,
// so whichever comes later in the item wins.
enum TimeSlotValue : std::size_t { Code, Name, Start, End, Minutes };

// The weekday number for the first letter of a slot name ("L" is 1 ... "D"
// is 7); any other character stands for itself.
std::string weekdayNumber(std::string_view slotName)
{
    if (slotName.empty())
        return {};
    if (const std::optional<int> weekday = weekdayOfLetter(slotName.front()))
        return std::to_string(*weekday + 1);
    return std::string(1, slotName.front());
}

} // namespace

CatalogueReading ExportarTramos(StepRecords& step)
{
    RecordBuffer& r = step.records;
    CatalogueReading reading;
    reading.seq = "TRAMOS";
    reading.names = {{"CODIGO_QUELMAR", Code}, {"NOMBRE", Name}, {"DIA", Name},
                     {"INICIO", Start},        {"FIN", End},     {"NINUTOS", Minutes}};
    reading.onItem = [&step, &r, diho = r.field("DIHO"), dia = r.field("DIA"),
                      hora = r.field("HORA"), codDiho = r.field("CODDIHO"),
                      desde = r.field("HORADESDE"), hasta = r.field("HORAHASTA"),
                      minutos = r.field("MINUTOS")](const ItemValues& v) {
        // Every item gives a record, one without value elements included.
        const std::string_view name = v.at(Name);
        ++step.items;
        if (name.empty() && step.log.wanted())
            step.log.line("TRAMOS, elemento " + std::to_string(step.items) +
                          ": sin nombre de tramo (NOMBRE o DIA); su registro se escribe, pero "
                          "la importación no podrá encontrarlo");
        r.append();
        r.setText(diho, name);
        r.setText(dia, weekdayNumber(name));
        r.setText(hora, name.size() > 1 ? name.substr(1, 2) : std::string_view());
        r.setText(codDiho, v.at(Code));
        r.setText(desde, v.at(Start));
        r.setText(hasta, v.at(End));
        r.setText(minutos, v.at(Minutes));
    };
    return reading;
}

} // namespace tmq
